#include "transport/psk_keys.h"

#include <QFile>
#include <QFileDevice>

#include <algorithm>
#include <cctype>
#include <string>

namespace zolin6::transport {

namespace {

// A key file larger than this holds something else than keys.
constexpr qint64 kMaxKeyFileSize = qint64{64} * 1024;

bool IsHex(std::string_view text) {
  return std::ranges::all_of(text, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

Result<PskKey> ParseLine(std::string_view line, int number) {
  const std::string where = "line " + std::to_string(number) + ": ";
  const std::size_t colon = line.rfind(':');
  if (colon == std::string_view::npos) return Error{where + "not identity:hexkey"};
  const std::string_view identity = line.substr(0, colon);
  const std::string_view hex = line.substr(colon + 1);
  if (identity.empty() || identity.size() > kMaxPskIdentitySize) {
    return Error{where + "the identity must have 1 to " + std::to_string(kMaxPskIdentitySize) + " characters"};
  }
  if (hex.empty() || hex.size() % 2 != 0 || !IsHex(hex)) {
    return Error{where + "the key is not an even number of hexadecimal digits"};
  }
  if (hex.size() / 2 > kMaxPskKeySize) {
    return Error{where + "the key is longer than " + std::to_string(kMaxPskKeySize) + " bytes"};
  }
  return PskKey{QByteArray(identity.data(), static_cast<qsizetype>(identity.size())),
                QByteArray::fromHex(QByteArray(hex.data(), static_cast<qsizetype>(hex.size())))};
}

}  // namespace

std::optional<QByteArray> PskKeys::keyOf(const QByteArray& identity) const {
  const auto found = std::ranges::find(keys_, identity, &PskKey::identity);
  if (found == keys_.end()) return std::nullopt;
  return found->key;
}

Result<PskKeys> ParsePskKeys(std::string_view text) {
  std::vector<PskKey> keys;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())) != 0) line.remove_suffix(1);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front())) != 0) line.remove_prefix(1);
    if (line.empty() || line.front() == '#') continue;
    Result<PskKey> key = ParseLine(line, number);
    if (!key) return key.error();
    keys.push_back(std::move(key).value());
  }
  if (keys.empty()) return Error{"no key in it"};
  return PskKeys(std::move(keys));
}

Result<PskKeys> ReadPskKeyFile(const QString& path) {
  QFile file(path);
  const std::string name = path.toStdString();
  if (!file.exists()) return Error{"key file " + name + " does not exist"};
  if ((file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)) != 0) {
    return Error{"key file " + name + " can be read by others: make it yours alone (chmod 600 " + name + ")"};
  }
  if (!file.open(QIODevice::ReadOnly))
    return Error{"cannot read key file " + name + ": " + file.errorString().toStdString()};
  if (file.size() > kMaxKeyFileSize) return Error{"key file " + name + " is too large to hold keys"};
  const QByteArray text = file.readAll();
  Result<PskKeys> keys = ParsePskKeys(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  if (!keys) return Error{"key file " + name + ": " + keys.error().message};
  return keys;
}

}  // namespace zolin6::transport
