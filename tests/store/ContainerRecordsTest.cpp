// The container's two header records, byte by byte, and the rules for reading back
// fields that a hostile file may have filled with anything.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "store/HeaderFields.h"
#include "store/IndexHeader.h"
#include "store/StreamHeader.h"

namespace {

std::string Bytes(const uint8_t* at, size_t n) { return std::string(reinterpret_cast<const char*>(at), n); }

TEST(IndexHeaderTest, FieldsLandAtTheirOffsetsLittleEndian) {
    IndexHeader h;
    h.created = 0x11223344;
    h.securityLevel = 2;
    h.fileCount = 0x0102;
    h.totalBytes = 0xA1B2C3D4;
    h.structureLength = 19;
    h.dataLength = 0x10000;
    ASSERT_TRUE(PutFieldText(h.defaultUserId, sizeof h.defaultUserId, "{default}"));
    ASSERT_TRUE(PutFieldText(h.lastUsername, sizeof h.lastUsername, "Ann"));
    ASSERT_TRUE(PutFieldText(h.identityId, sizeof h.identityId, "{guard}"));
    for (int k = 0; k < 16; ++k) h.salt[k] = static_cast<uint8_t>(0xF0 + k);

    uint8_t b[IndexHeader::kSize];
    std::memset(b, 0xCC, sizeof b);
    h.Serialize(b);
    EXPECT_EQ(Bytes(b, 4), std::string("\x44\x33\x22\x11", 4));
    EXPECT_EQ(Bytes(b + 4, 4), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(Bytes(b + 8, 4), std::string("\0\x01\0\0", 4));  // the constant 256
    EXPECT_EQ(Bytes(b + 12, 4), std::string("\x02\x01\0\0", 4));
    EXPECT_EQ(Bytes(b + 16, 4), std::string("\xD4\xC3\xB2\xA1", 4));
    EXPECT_EQ(Bytes(b + 20, 4), std::string(4, '\0'));
    EXPECT_EQ(Bytes(b + 24, 4), std::string("\x13\0\0\0", 4));
    EXPECT_EQ(Bytes(b + 28, 4), std::string("\0\0\x01\0", 4));
    EXPECT_EQ(Bytes(b + 32, 10), std::string("{default}\0", 10));
    EXPECT_EQ(Bytes(b + 42, 64 - 10), std::string(54, '\0'));  // rest of the field zero
    EXPECT_EQ(Bytes(b + 160, 4), std::string("Ann\0", 4));
    EXPECT_EQ(Bytes(b + 480, 8), std::string("{guard}\0", 8));
    EXPECT_EQ(b[544], 0xF0);
    EXPECT_EQ(b[559], 0xFF);

    const IndexHeader back = IndexHeader::Parse(b);
    uint8_t again[IndexHeader::kSize];
    back.Serialize(again);
    EXPECT_EQ(0, std::memcmp(b, again, sizeof b));
    EXPECT_EQ(back.totalBytes, 0xA1B2C3D4u);
    EXPECT_EQ(back.dataLength, 0x10000u);
}

TEST(StreamHeaderTest, LayoutAndMarkedTail) {
    StreamHeader h;
    for (int k = 0; k < 16; ++k) h.salt[k] = static_cast<uint8_t>(k + 1);
    ASSERT_TRUE(PutFieldText(h.sourcePath, sizeof h.sourcePath, "/home/ann/mail/Inbox.dbx"));
    h.marked = true;
    for (int k = 0; k < 8; ++k) h.keyCheck[k] = static_cast<uint8_t>(0xA0 + k);
    h.plainSize = 0x1'0000'0002ull;

    uint8_t b[StreamHeader::kSize];
    h.Serialize(b);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[15], 16);
    EXPECT_EQ(Bytes(b + 16, 8), std::string("\0\0\0\0\0\x01\0\0", 8));
    EXPECT_EQ(Bytes(b + 24, 25), std::string("/home/ann/mail/Inbox.dbx\0", 25));
    EXPECT_EQ(Bytes(b + 284, 4), "VBKC");
    EXPECT_EQ(b[288], 0xA0);
    EXPECT_EQ(Bytes(b + 296, 8), std::string("\x02\0\0\0\x01\0\0\0", 8));
    for (size_t k = 304; k < sizeof b; ++k) ASSERT_EQ(b[k], 0) << k;

    StreamHeader back;
    ASSERT_TRUE(StreamHeader::Parse(b, back));
    EXPECT_TRUE(back.marked);
    EXPECT_EQ(back.plainSize, h.plainSize);
    EXPECT_EQ(0, std::memcmp(back.keyCheck, h.keyCheck, 8));
    EXPECT_STREQ(back.sourcePath, "/home/ann/mail/Inbox.dbx");
}

TEST(StreamHeaderTest, TailIsEitherZerosOrOurMark) {
    StreamHeader h;
    ASSERT_TRUE(PutFieldText(h.sourcePath, sizeof h.sourcePath, "/m/a.dbx"));
    uint8_t b[StreamHeader::kSize];
    h.Serialize(b);
    StreamHeader back;
    ASSERT_TRUE(StreamHeader::Parse(b, back));  // an older container: no check
    EXPECT_FALSE(back.marked);

    b[400] = 1;  // not ours, not zero
    EXPECT_FALSE(StreamHeader::Parse(b, back));

    h.marked = true;
    h.Serialize(b);
    b[539] = 7;  // bytes past our fields must stay zero
    EXPECT_FALSE(StreamHeader::Parse(b, back));
}

TEST(HeaderFieldsTest, TextsMustFitWithTheirZeroAndBeTerminatedToBeRead) {
    char field[64];
    std::memset(field, 'x', sizeof field);
    EXPECT_FALSE(PutFieldText(field, sizeof field, std::string(64, 'a')));
    EXPECT_EQ(field[0], 'x');  // a refused text leaves the field alone
    EXPECT_FALSE(PutFieldText(field, sizeof field, std::string("a\0b", 3)));
    EXPECT_TRUE(PutFieldText(field, sizeof field, std::string(63, 'a')));
    EXPECT_EQ(field[63], '\0');

    std::string text;
    EXPECT_TRUE(GetFieldText(field, sizeof field, text));
    EXPECT_EQ(text, std::string(63, 'a'));
    std::memset(field, 'y', sizeof field);
    EXPECT_FALSE(GetFieldText(field, sizeof field, text));
}

}  // namespace
