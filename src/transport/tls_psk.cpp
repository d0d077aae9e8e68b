#include "transport/tls_psk.h"

#include <QDtls>
#include <QSslCipher>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>

#include "transport/psk_keys.h"

namespace zolin6::transport {

namespace {

// In order of preference; the first is the one every secure HART-IP peer has.
constexpr const char* kPskCipherNames[] = {"PSK-AES128-GCM-SHA256", "PSK-AES128-CBC-SHA256"};

}  // namespace

Result<QSslConfiguration> PskTlsConfiguration(Transport transport) {
  if (!QSslSocket::supportsSsl()) return Error{"TLS is not available: the OpenSSL library was not found"};
  const bool datagrams = transport == Transport::Datagrams;
  if (datagrams && !QSslSocket::isProtocolSupported(QSsl::DtlsV1_2)) return Error{"DTLS is not available here"};
  QSslConfiguration configuration =
      datagrams ? QSslConfiguration::defaultDtlsConfiguration() : QSslConfiguration::defaultConfiguration();
  // TLS 1.3 would need certificates for its handshake signatures here.
  configuration.setProtocol(datagrams ? QSsl::DtlsV1_2 : QSsl::TlsV1_2);
  QList<QSslCipher> ciphers;
  for (const char* name : kPskCipherNames) {
    const QSslCipher cipher(QString::fromLatin1(name));
    if (!cipher.isNull()) ciphers.append(cipher);
  }
  if (ciphers.isEmpty()) return Error{"TLS is available but without its pre-shared key cipher suites"};
  configuration.setCiphers(ciphers);
  // The key proves both ends; there is no certificate to check.
  configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
  return configuration;
}

void AnswerAsClient(QSslPreSharedKeyAuthenticator& question, const PskKey& own) {
  question.setIdentity(own.identity);
  question.setPreSharedKey(own.key);
}

void AnswerAsDevice(QSslPreSharedKeyAuthenticator& question, const PskKeys& keys) {
  if (const std::optional<QByteArray> key = keys.keyOf(question.identity())) question.setPreSharedKey(*key);
}

namespace {

std::string Describe(const QSslCipher& cipher) {
  return cipher.protocolString().replace(QStringLiteral("TLSv"), QStringLiteral("TLS ")).toStdString() + ", " +
         cipher.name().toStdString();
}

}  // namespace

std::string DescribeTls(const QSslSocket& socket) { return Describe(socket.sessionCipher()); }

// The cipher names the TLS version its suite came with; the protocol is DTLS 1.2.
std::string DescribeTls(const QDtls& dtls) { return "DTLS 1.2, " + dtls.sessionCipher().name().toStdString(); }

}  // namespace zolin6::transport
