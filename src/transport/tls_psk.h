#pragma once
// TLS with pre-shared keys as secure HART-IP uses it, through Qt's TLS on
// its OpenSSL back end: TLS 1.2 on TCP and DTLS 1.2 on UDP, with the PSK
// cipher suites a secure HART-IP server offers (AES-128 in GCM, then CBC),
// no certificates.

#include <QSslConfiguration>

#include <cstdint>
#include <string>

#include "platform/result.h"

class QDtls;
class QSslSocket;
class QSslPreSharedKeyAuthenticator;

namespace zolin6::transport {

class PskKeys;
struct PskKey;

enum class Transport : std::uint8_t { Stream, Datagrams };

// The settings for either end of a secure HART-IP connection, or why TLS
// (DTLS for datagrams) with pre-shared keys cannot be had here.
Result<QSslConfiguration> PskTlsConfiguration(Transport transport);
// The client's answer to the device's question for a key.
void AnswerAsClient(QSslPreSharedKeyAuthenticator& question, const PskKey& own);
// The device's: the key of the identity the client named, or none, which
// fails the handshake.
void AnswerAsDevice(QSslPreSharedKeyAuthenticator& question, const PskKeys& keys);
// "TLS 1.2, PSK-AES128-GCM-SHA256", for the status bar and the log.
std::string DescribeTls(const QSslSocket& socket);
std::string DescribeTls(const QDtls& dtls);

}  // namespace zolin6::transport
