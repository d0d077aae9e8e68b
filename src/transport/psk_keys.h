#pragma once
// The pre-shared keys of secure HART-IP. A key file holds one
// `identity:hexkey` line per key; a client uses the first, a device accepts
// any of them. The file is a secret: one that the group or others may read
// is refused, as ssh refuses a private key left open.

#include <QByteArray>
#include <QString>

#include <optional>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace zolin6::transport {

// What TLS allows an identity and a key to be; longer ones are a typing mistake.
inline constexpr std::size_t kMaxPskIdentitySize = 128;
inline constexpr std::size_t kMaxPskKeySize = 64;

struct PskKey {
  QByteArray identity;
  QByteArray key;
};

class PskKeys {
 public:
  PskKeys() = default;
  explicit PskKeys(std::vector<PskKey> keys) : keys_(std::move(keys)) {}

  bool empty() const { return keys_.empty(); }
  // The client's: the first.
  const PskKey& own() const { return keys_.front(); }
  // The key of `identity`, for a device asked by a client.
  std::optional<QByteArray> keyOf(const QByteArray& identity) const;

 private:
  std::vector<PskKey> keys_;
};

// The keys in `text`: blank lines and lines starting with '#' are skipped;
// any other line that is not `identity:hexkey` is an error naming its number.
Result<PskKeys> ParsePskKeys(std::string_view text);
// The key file at `path`, refused when the group or others may read it.
Result<PskKeys> ReadPskKeyFile(const QString& path);

}  // namespace zolin6::transport
