// HART-IP messages on the wire and the client session over them.

#include "hart/hart_ip.h"

#include <gtest/gtest.h>

#include <memory>

#include "hart/hart_ip_session.h"

namespace zolin6::hart::ip {
namespace {

TEST(HartIpMessage, EveryKindRoundTrips) {
  const Bytes frame{0x02, 0x80, 0x00, 0x00, 0x82};
  const std::vector<Message> messages = {
      MakeMessage(MessageType::Request, MessageId::SessionInitiate, 1, EncodeSessionInitiate({1, 60000})),
      MakeMessage(MessageType::Response, MessageId::SessionInitiate, 1, EncodeSessionInitiate({1, 90000}),
                  status::kSetToNearest),
      MakeMessage(MessageType::Request, MessageId::SessionClose, 0xFFFF),
      MakeMessage(MessageType::Response, MessageId::KeepAlive, 0x1234),
      MakeMessage(MessageType::Request, MessageId::PassThrough, 7, frame),
      MakeMessage(MessageType::Response, MessageId::PassThrough, 7, frame),
      MakeMessage(MessageType::Publish, MessageId::PassThrough, 3, frame),
      MakeMessage(MessageType::Nak, MessageId::KeepAlive, 9),
  };
  for (const Message& message : messages) {
    const Bytes wire = EncodeMessage(message);
    ASSERT_EQ(wire.size(), kHeaderSize + message.body.size());
    EXPECT_EQ((wire[6] << 8) | wire[7], static_cast<int>(wire.size()));
    const DecodedMessage decoded = DecodeMessage(wire);
    ASSERT_TRUE(decoded) << decoded.description();
    EXPECT_EQ(EncodeMessage(decoded.message), wire);
  }
}

TEST(HartIpMessage, MalformedMessagesSayWhatIsWrong) {
  const std::vector<std::pair<Bytes, MessageStatus>> cases = {
      {{1, 0, 2, 0, 0, 1, 0}, MessageStatus::TooShort},
      {{1, 0, 2, 0, 0, 1, 0, 9}, MessageStatus::ByteCountMismatch},
      {{1, 0, 2, 0, 0, 1, 0, 8, 0}, MessageStatus::ByteCountMismatch},
      {{1, 0, 2, 0, 0, 1, 0, 7}, MessageStatus::ByteCountTooSmall},
      {{1, 0, 2, 0, 0, 1, 0xFF, 0xFF}, MessageStatus::ByteCountTooLarge},
      {{0, 0, 2, 0, 0, 1, 0, 8}, MessageStatus::BadVersion},
      {{1, 0x10, 2, 0, 0, 1, 0, 8}, MessageStatus::ReservedBits},
      {{1, 3, 2, 0, 0, 1, 0, 8}, MessageStatus::UnknownType},
      {{1, 0, 6, 0, 0, 1, 0, 8}, MessageStatus::UnknownId},
  };
  for (const auto& [wire, expected] : cases) {
    EXPECT_EQ(DecodeMessage(wire).status, expected) << Describe(expected);
  }
}

TEST(HartIpMessage, NewerVersionsDecodeAndAreAnsweredInOurs) {
  const Bytes v2 = {2, 0, 0, 0, 0, 1, 0, 13, 1, 0, 0, 0x75, 0x30};
  const DecodedMessage decoded = DecodeMessage(v2);
  ASSERT_TRUE(decoded) << decoded.description();
  EXPECT_EQ(decoded.message.header.version, 2);
  // Each server kind on both sides of what it speaks.
  struct Row {
    Security security;
    std::uint8_t asked;
    VersionAgreement agreed;
  };
  const std::uint8_t kNo = status::kVersionNotSupported;
  for (const Row& row : {
           Row{Security::PlainOnly, 1, {1, status::kSuccess, false}},
           Row{Security::PlainOnly, 2, {1, kNo, false}},
           Row{Security::PlainOnly, 255, {1, kNo, false}},
           Row{Security::Offered, 1, {1, status::kSuccess, false}},
           Row{Security::Offered, 2, {2, status::kSuccess, false}},
           Row{Security::Offered, 3, {2, kNo, false}},
           Row{Security::Required, 1, {2, kNo, true}},
           Row{Security::Required, 2, {2, status::kSuccess, false}},
           Row{Security::Required, 3, {2, kNo, false}},
           Row{Security::Unavailable, 1, {2, status::kSecurityNotInitialized, true}},
           Row{Security::Unavailable, 2, {2, status::kSecurityNotInitialized, true}},
       }) {
    const VersionAgreement agreed = AgreeVersion(row.asked, row.security);
    const std::string which = std::to_string(static_cast<int>(row.security)) + "/" + std::to_string(row.asked);
    EXPECT_EQ(agreed.version, row.agreed.version) << which;
    EXPECT_EQ(agreed.status, row.agreed.status) << which;
    EXPECT_EQ(agreed.refused, row.agreed.refused) << which;
  }
  EXPECT_EQ(StatusText(status::kVersionNotSupported), "status 14: HART-IP version not supported");
  EXPECT_EQ(StatusText(99), "status 99: unknown status");
}

TEST(HartIpMessage, SessionInitiateBodyIsFiveBytes) {
  const Bytes body = EncodeSessionInitiate({1, 600000});
  EXPECT_EQ(body, (Bytes{0x01, 0x00, 0x09, 0x27, 0xC0}));
  EXPECT_EQ(DecodeSessionInitiate(body)->inactivityMs, 600000U);
  EXPECT_FALSE(DecodeSessionInitiate(ByteView(body).first(4)));
}

TEST(HartIpStream, ReassemblesSplitMessagesAndSeparatesJoinedOnes) {
  const Bytes first =
      EncodeMessage(MakeMessage(MessageType::Response, MessageId::PassThrough, 1, {6, 0x80, 0, 2, 0, 0, 0x84}));
  const Bytes second = EncodeMessage(MakeMessage(MessageType::Response, MessageId::KeepAlive, 2));
  Bytes both = first;
  both.insert(both.end(), second.begin(), second.end());

  StreamAssembler split;
  for (std::size_t cut : {3U, 9U}) {  // inside the header, then inside the body
    split.feed(ByteView(first).first(cut));
    EXPECT_FALSE(split.next());
    split.feed(ByteView(first).subspan(cut));
    auto whole = split.next();
    ASSERT_TRUE(whole && *whole);
    EXPECT_EQ(EncodeMessage(whole->message), first);
  }

  StreamAssembler joined;
  joined.feed(both);
  auto one = joined.next();
  auto two = joined.next();
  ASSERT_TRUE(one && two && *one && *two);
  EXPECT_EQ(two->message.header.sequence, 2);
  EXPECT_FALSE(joined.next());
}

TEST(HartIpStream, ABadHeaderEndsTheStream) {
  StreamAssembler stream;
  stream.feed(Bytes{1, 0, 2, 0, 0, 1, 0, 5, 1, 0, 2, 0, 0, 2, 0, 8});
  auto bad = stream.next();
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->status, MessageStatus::ByteCountTooSmall);
  stream.feed(EncodeMessage(MakeMessage(MessageType::Request, MessageId::KeepAlive, 3)));
  EXPECT_FALSE(*stream.next());
}

// The session as the device sees it: what the client sends, answered by hand.
class HartIpSession : public ::testing::Test {
 protected:
  Message Sent(const SessionStep& step) {
    const DecodedMessage decoded = DecodeMessage(step.transmit);
    EXPECT_TRUE(decoded) << decoded.description();
    return decoded.message;
  }
  static Message Answer(const Message& request, Bytes body = {}, std::uint8_t code = status::kSuccess) {
    return MakeMessage(MessageType::Response, request.header.id, request.header.sequence, std::move(body), code);
  }
  // What the session sends once open: the frame that waited, if any.
  SessionStep OpenGranting(ClientSession& session, std::uint32_t granted) {
    const Message initiate = Sent(session.open(Millis{0}));
    EXPECT_EQ(DecodeSessionInitiate(initiate.body)->inactivityMs, kAskedInactivityMs);
    return session.receive(Answer(initiate, EncodeSessionInitiate({1, granted}), status::kSetToNearest), Millis{0});
  }
  const Bytes frame_{0x02, 0x80, 0x00, 0x00, 0x82};
};

TEST_F(HartIpSession, ARefusedSessionSaysWhyAndDropsTheWaitingFrame) {
  ClientSession session(Framing::Stream);
  (void)session.submit(frame_, Millis{0});
  const Message initiate = Sent(session.open(Millis{0}));
  const SessionStep refused = session.receive(Answer(initiate, {}, status::kAllSessionsInUse), Millis{1});
  EXPECT_EQ(session.state(), SessionState::Closed);
  EXPECT_EQ(refused.reason, "the device refused the session: status 15: all sessions in use");
  EXPECT_FALSE(session.hasWaitingFrame());
}

TEST_F(HartIpSession, WhatTheDeviceSaysInsteadOfAnAnswerIsShown) {
  ClientSession session(Framing::Stream);
  (void)OpenGranting(session, 60000);
  const Message request = Sent(session.submit(frame_, Millis{0}));
  const SessionStep refused = session.receive(Answer(request, {}, status::kDeviceSpecificError), Millis{1});
  EXPECT_FALSE(refused.reply);
  EXPECT_EQ(refused.notice, "the device did not carry the request: status 6: device-specific command error");
  EXPECT_EQ(session.state(), SessionState::Open);
  const Message again = Sent(session.submit(frame_, Millis{2}));
  const SessionStep nak =
      session.receive(MakeMessage(MessageType::Nak, again.header.id, again.header.sequence, {}, 2), Millis{3});
  EXPECT_EQ(nak.reason, "the device refused the request (NAK): status 2: invalid master type");
  EXPECT_EQ(session.state(), SessionState::Closed);
}

// Over TCP an answer comes in order, so a number never sent means a confused
// device; a number the master gave up on is only late.
TEST_F(HartIpSession, TcpDropsLateAnswersToAbandonedRequestsAndEndsOnUnknownOnes) {
  ClientSession session(Framing::Stream);
  (void)OpenGranting(session, 60000);
  const Message first = Sent(session.submit(frame_, Millis{0}));
  const Message resent = Sent(session.submit(frame_, Millis{5000}));
  EXPECT_EQ(resent.header.id, MessageId::PassThrough);  // over TCP the connection vouches for the session
  const SessionStep late = session.receive(Answer(first, {6, 0x80}), Millis{5001});
  EXPECT_FALSE(late.reply);
  EXPECT_FALSE(late.changed);
  EXPECT_EQ(session.state(), SessionState::Open);
  EXPECT_TRUE(session.receive(Answer(resent, {6, 0x81}), Millis{5002}).reply);

  Message stranger = Answer(resent, {6, 0x80});
  stranger.header.sequence = static_cast<std::uint16_t>(resent.header.sequence + 7);
  const SessionStep ended = session.receive(stranger, Millis{5003});
  EXPECT_EQ(session.state(), SessionState::Closed);
  EXPECT_NE(ended.reason.find("protocol error"), std::string::npos);
}

TEST_F(HartIpSession, ALateAnswerStillReachesTheMasterWhileNothingNewerWentOut) {
  for (const Framing framing : {Framing::Stream, Framing::Datagram}) {
    ClientSession session(framing);
    (void)OpenGranting(session, 60000);
    const Message request = Sent(session.submit(frame_, Millis{0}));
    const Message probe = Sent(session.poll(kPassThroughGiveUp));
    EXPECT_EQ(probe.header.id, MessageId::KeepAlive);
    const SessionStep late = session.receive(Answer(request, {6, 0x80}), kPassThroughGiveUp + Millis{1});
    ASSERT_TRUE(late.reply);
    EXPECT_EQ(*late.reply, (Bytes{6, 0x80}));
    // Only once.
    EXPECT_FALSE(session.receive(Answer(request, {6, 0x80}), kPassThroughGiveUp + Millis{2}).reply);
    EXPECT_EQ(session.state(), SessionState::Open);
  }
}

// Publish messages carry the device's own numbers: the burst frame goes to
// the master, and the request under way still gets its answer.
TEST_F(HartIpSession, PublishedFramesReachTheMasterBesideTheAnswers) {
  const Bytes burst{0x81, 0xA6, 0x4E, 0x00, 0x00, 0x01, 0x01, 0x09, 0x02,
                    0x00, 0x00, 0x20, 0x41, 0xAC, 0x00, 0x00, 0x00};
  const Message published = MakeMessage(MessageType::Publish, MessageId::PassThrough, 1, burst);
  ClientSession session(Framing::Stream);
  const Message initiate = Sent(session.open(Millis{0}));
  EXPECT_FALSE(session.receive(published, Millis{0}).reply);  // not before the session is open
  (void)session.receive(Answer(initiate, EncodeSessionInitiate({1, 60000})), Millis{0});
  const Message request = Sent(session.submit(frame_, Millis{1}));
  ASSERT_EQ(request.header.sequence, 2);
  const SessionStep heard = session.receive(published, Millis{2});
  ASSERT_TRUE(heard.reply);
  EXPECT_EQ(*heard.reply, burst);
  EXPECT_TRUE(heard.transmit.empty());
  EXPECT_FALSE(session.receive(MakeMessage(MessageType::Publish, MessageId::KeepAlive, 2), Millis{3}).reply);
  EXPECT_TRUE(session.receive(Answer(request, {6, 0x80}), Millis{4}).reply);
  EXPECT_EQ(session.state(), SessionState::Open);
}

TEST_F(HartIpSession, UdpChecksTheSessionWithAKeepAliveBeforeResendingAFrame) {
  ClientSession session(Framing::Datagram);
  (void)OpenGranting(session, 60000);
  const Message first = Sent(session.submit(frame_, Millis{0}));
  const Message probe = Sent(session.submit(frame_, Millis{1000}));
  EXPECT_EQ(probe.header.id, MessageId::KeepAlive);
  // The late answer to the first frame is not the master's any more.
  EXPECT_FALSE(session.receive(Answer(first, {6, 0x80}), Millis{1001}).reply);
  const Message again = Sent(session.receive(Answer(probe), Millis{1002}));
  EXPECT_EQ(again.header.id, MessageId::PassThrough);
  EXPECT_EQ(again.body, frame_);
}

// A device that is gone shows within five seconds of the request it left
// unanswered: a keep-alive after the give-up, its tries, then the end.
TEST_F(HartIpSession, AnUnansweredRequestFindsAGoneDeviceWithinFiveSeconds) {
  for (const Framing framing : {Framing::Stream, Framing::Datagram}) {
    ClientSession session(framing);
    (void)OpenGranting(session, 60000);
    (void)Sent(session.submit(frame_, Millis{0}));
    EXPECT_TRUE(session.poll(kPassThroughGiveUp - Millis{1}).transmit.empty());
    const Message probe = Sent(session.poll(kPassThroughGiveUp));
    ASSERT_EQ(probe.header.id, MessageId::KeepAlive);
    const Millis lostAt = kPassThroughGiveUp + kControlTryTimeout * kControlTries;
    int tries = 1;
    for (Millis now = kPassThroughGiveUp; now < lostAt; now += Millis{1}) {
      const SessionStep step = session.poll(now);
      if (step.transmit.empty()) continue;
      EXPECT_EQ(Sent(step).header.sequence, probe.header.sequence) << "a try sends the same message";
      ++tries;
    }
    EXPECT_EQ(tries, framing == Framing::Datagram ? kControlTries : 1);
    EXPECT_EQ(session.state(), SessionState::Open);
    const SessionStep lost = session.poll(lostAt);
    EXPECT_EQ(session.state(), SessionState::Closed);
    EXPECT_EQ(lost.reason, "lost: the device does not answer the keep-alive");
    EXPECT_LE(lostAt, Millis{5000});
  }
}

TEST_F(HartIpSession, AQuietSessionIsProbedAfterAFewSecondsOrHalfItsTimer) {
  struct Row {
    std::uint32_t granted;
    Millis due;
  };
  for (const Row& row : {Row{60000, kIdleProbe}, Row{0, kIdleProbe}, Row{2000, Millis{1000}}}) {
    ClientSession session(Framing::Stream);
    (void)OpenGranting(session, row.granted);
    const Message request = Sent(session.submit(frame_, Millis{0}));
    (void)session.receive(Answer(request, {6, 0x80}), Millis{10});
    EXPECT_EQ(session.wakeAt(), Millis{10} + row.due) << row.granted;
    EXPECT_TRUE(session.poll(Millis{9} + row.due).transmit.empty()) << row.granted;
    EXPECT_EQ(Sent(session.poll(Millis{10} + row.due)).header.id, MessageId::KeepAlive) << row.granted;
  }
}

TEST_F(HartIpSession, UdpSessionMessagesAreSentAgainWhenLost) {
  ClientSession session(Framing::Datagram);
  const Message initiate = Sent(session.open(Millis{0}));
  EXPECT_TRUE(session.poll(kControlTryTimeout - Millis{1}).transmit.empty());
  const Message again = Sent(session.poll(kControlTryTimeout));
  EXPECT_EQ(EncodeMessage(again), EncodeMessage(initiate));
  // The first initiate got through and only its answer was lost: the device
  // says a session exists, and it is ours.
  const SessionStep opened = session.receive(Answer(again, {}, status::kSessionExists), kControlTryTimeout);
  EXPECT_EQ(session.state(), SessionState::Open);
  EXPECT_EQ(session.grantedInactivityMs(), kAskedInactivityMs);
  EXPECT_TRUE(opened.changed);

  const Message close = Sent(session.close(Millis{1000}));
  EXPECT_EQ(session.state(), SessionState::Closing);
  EXPECT_EQ(Sent(session.poll(Millis{1000} + kControlTryTimeout)).header.sequence, close.header.sequence);
  (void)session.receive(Answer(close), Millis{1000} + kControlTryTimeout);
  EXPECT_EQ(session.state(), SessionState::Closed);
}

TEST_F(HartIpSession, TcpSessionMessagesGoOnceAndWaitForAllTheTries) {
  ClientSession session(Framing::Stream);
  (void)Sent(session.open(Millis{0}));
  const Millis limit = kControlTryTimeout * kControlTries;
  EXPECT_TRUE(session.poll(limit - Millis{1}).transmit.empty());
  EXPECT_EQ(session.state(), SessionState::Initiating);
  EXPECT_EQ(session.poll(limit).reason, "unreachable: the device does not answer the session initiate");
  // A refusal of ours after a single try is a refusal.
  ClientSession refused(Framing::Stream);
  const Message initiate = Sent(refused.open(Millis{0}));
  (void)refused.receive(Answer(initiate, {}, status::kSessionExists), Millis{1});
  EXPECT_EQ(refused.state(), SessionState::Closed);
  // Closing over TCP ends at once.
  ClientSession open(Framing::Stream);
  (void)OpenGranting(open, 60000);
  EXPECT_EQ(Sent(open.close(Millis{1})).header.id, MessageId::SessionClose);
  EXPECT_EQ(open.state(), SessionState::Closed);
}

TEST_F(HartIpSession, AnAnswerInAnotherVersionIsAProtocolError) {
  ClientSession session(Framing::Stream);
  (void)OpenGranting(session, 60000);
  const Message request = Sent(session.submit(frame_, Millis{0}));
  Message answer = Answer(request, {6, 0x80});
  answer.header.version = 2;
  EXPECT_FALSE(session.receive(answer, Millis{1}).reply);
  EXPECT_EQ(session.state(), SessionState::Closed);
}

// A secure session: the initiate in plain text, then nothing until TLS is
// up; every message after it in version 2.
TEST_F(HartIpSession, ASecureSessionWaitsForTlsBeforeItsFirstFrame) {
  ClientSession session(Framing::Stream, kAskedInactivityMs, kSecureVersion);
  (void)session.submit(frame_, Millis{0});
  const Message initiate = Sent(session.open(Millis{0}));
  EXPECT_EQ(initiate.header.version, kSecureVersion);
  Message granted = Answer(initiate, EncodeSessionInitiate({1, 60000}));
  granted.header.version = kSecureVersion;
  const SessionStep securing = session.receive(granted, Millis{1});
  EXPECT_TRUE(securing.startSecurity);
  EXPECT_TRUE(securing.transmit.empty());
  EXPECT_EQ(session.state(), SessionState::Securing);
  EXPECT_EQ(session.wakeAt(), Millis{1} + kSecuringTimeout);
  const SessionStep open = session.secured(Millis{2});
  EXPECT_EQ(session.state(), SessionState::Open);
  EXPECT_FALSE(open.startSecurity);
  EXPECT_EQ(Sent(open).header.version, kSecureVersion);
  EXPECT_EQ(Sent(open).body, frame_);
  EXPECT_TRUE(session.secured(Millis{3}).transmit.empty());  // once only
}

TEST_F(HartIpSession, ASecureSessionEndsWhenTlsDoesNotComeUpInTime) {
  ClientSession session(Framing::Stream, kAskedInactivityMs, kSecureVersion);
  const Message initiate = Sent(session.open(Millis{0}));
  Message granted = Answer(initiate, EncodeSessionInitiate({1, 60000}));
  granted.header.version = kSecureVersion;
  (void)session.receive(granted, Millis{0});
  EXPECT_EQ(session.poll(Millis{0} + kSecuringTimeout - Millis{1}).changed, false);
  EXPECT_EQ(session.poll(Millis{0} + kSecuringTimeout).reason,
            "the TLS handshake did not finish: a wrong key, or the device stopped answering");
  EXPECT_EQ(session.state(), SessionState::Closed);
}

// Status 14 in another version ends the session with words either way: a
// secure client never falls back to plain text.
TEST_F(HartIpSession, AnotherVersionInTheInitiateAnswerEndsTheSessionWithWords) {
  struct Row {
    std::uint8_t ours;
    std::uint8_t theirs;
    std::string words;
  };
  for (const Row& row : {Row{kSecureVersion, kVersion, "speaks only HART-IP version 1, without security"},
                         Row{kVersion, kSecureVersion, "accepts only secure HART-IP (version 2)"}}) {
    ClientSession session(Framing::Stream, kAskedInactivityMs, row.ours);
    const Message initiate = Sent(session.open(Millis{0}));
    Message answer = Answer(initiate, EncodeSessionInitiate({1, 60000}), status::kVersionNotSupported);
    answer.header.version = row.theirs;
    const SessionStep ended = session.receive(answer, Millis{1});
    EXPECT_EQ(session.state(), SessionState::Closed) << row.words;
    EXPECT_FALSE(ended.startSecurity);
    // The session the device may have opened is closed in its version.
    const Message close = Sent(ended);
    EXPECT_EQ(close.header.id, MessageId::SessionClose);
    EXPECT_EQ(close.header.version, row.theirs);
    EXPECT_NE(ended.reason.find("status 14"), std::string::npos) << ended.reason;
    EXPECT_NE(ended.reason.find(row.words), std::string::npos) << ended.reason;
  }
}

// A request of version 2's own goes only in an open, secure and idle
// session, and always ends in its answer or in word that none will come.
TEST_F(HartIpSession, AnAskedRequestEndsInItsAnswerOrIsSaidLost) {
  ClientSession plain(Framing::Stream);
  (void)OpenGranting(plain, 60000);
  EXPECT_FALSE(plain.canAsk());
  EXPECT_TRUE(plain.ask(MessageId::DirectPdu, {0, 0}, Millis{0}).answerLost);
  const auto secure = [this] {
    auto session = std::make_unique<ClientSession>(Framing::Stream, kAskedInactivityMs, kSecureVersion);
    Message granted = Answer(Sent(session->open(Millis{0})), EncodeSessionInitiate({1, 60000}));
    granted.header.version = kSecureVersion;
    (void)session->receive(granted, Millis{0});
    (void)session->secured(Millis{0});
    return session;
  };
  const auto inVersion2 = [](Message message) {
    message.header.version = kSecureVersion;
    return message;
  };
  auto answered = secure();
  ASSERT_TRUE(answered->canAsk());
  const Message request = Sent(answered->ask(MessageId::DirectPdu, {0, 0, 0, 3, 0}, Millis{1}));
  EXPECT_EQ(request.header.id, MessageId::DirectPdu);
  EXPECT_FALSE(answered->canAsk());  // one request at a time
  const SessionStep step = answered->receive(inVersion2(Answer(request, {0, 0, 0, 3, 1, 0})), Millis{2});
  EXPECT_EQ(step.answer, (Bytes{0, 0, 0, 3, 1, 0}));
  EXPECT_TRUE(answered->canAsk());
  EXPECT_TRUE(answered->ask(MessageId::KeepAlive, {}, Millis{3}).answerLost);  // not one of them

  auto refused = secure();
  const Message refusedRequest = Sent(refused->ask(MessageId::DirectPdu, {0, 0}, Millis{1}));
  EXPECT_TRUE(
      refused->receive(inVersion2(Answer(refusedRequest, {}, status::kDeviceSpecificError)), Millis{2}).answerLost);

  auto unanswered = secure();
  (void)unanswered->ask(MessageId::DirectPdu, {0, 0}, Millis{1});
  EXPECT_FALSE(unanswered->poll(Millis{1} + kPassThroughGiveUp - Millis{1}).answerLost);
  const SessionStep givenUp = unanswered->poll(Millis{1} + kPassThroughGiveUp);
  EXPECT_TRUE(givenUp.answerLost);
  EXPECT_EQ(Sent(givenUp).header.id, MessageId::KeepAlive);

  auto closed = secure();
  (void)closed->ask(MessageId::DirectPdu, {0, 0}, Millis{1});
  EXPECT_TRUE(closed->close(Millis{2}).answerLost);
  auto lost = secure();
  (void)lost->ask(MessageId::DirectPdu, {0, 0}, Millis{1});
  EXPECT_TRUE(lost->lost("connection lost").answerLost);
  // Nothing was asked: nothing is said lost, whatever else was under way.
  auto quiet = secure();
  (void)quiet->poll(Millis{0} + kIdleProbe);  // a keep-alive goes
  EXPECT_FALSE(quiet->lost("connection lost").answerLost);
}

}  // namespace
}  // namespace zolin6::hart::ip
