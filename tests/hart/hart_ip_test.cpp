// HART-IP messages on the wire and the client session over them.

#include "hart/hart_ip.h"

#include <gtest/gtest.h>

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
      {{1, 0, 4, 0, 0, 1, 0, 8}, MessageStatus::UnknownId},
  };
  for (const auto& [wire, expected] : cases) {
    EXPECT_EQ(DecodeMessage(wire).status, expected) << Describe(expected);
  }
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
  EXPECT_NE(refused.reason.find("all sessions in use"), std::string::npos);
  EXPECT_FALSE(session.hasWaitingFrame());
}

TEST_F(HartIpSession, UdpChecksTheSessionWithAKeepAliveAfterAnUnansweredFrame) {
  ClientSession session(Framing::Datagram);
  (void)OpenGranting(session, 60000);
  const Message first = Sent(session.submit(frame_, Millis{0}));
  const Message probe = Sent(session.submit(frame_, Millis{5000}));
  EXPECT_EQ(probe.header.id, MessageId::KeepAlive);
  // The late answer to the first frame is not the master's any more.
  EXPECT_FALSE(session.receive(Answer(first, {6, 0x80}), Millis{5001}).reply);
  const Message again = Sent(session.receive(Answer(probe), Millis{5002}));
  EXPECT_EQ(again.header.id, MessageId::PassThrough);
  // No answer to a keep-alive: the session is lost.
  (void)session.receive(Answer(again, {6, 0x80}), Millis{5003});
  (void)session.poll(Millis{40000});
  EXPECT_EQ(session.state(), SessionState::Open);
  (void)session.poll(Millis{40000} + kControlReplyTimeout);
  EXPECT_EQ(session.state(), SessionState::Closed);
}

}  // namespace
}  // namespace zolin6::hart::ip
