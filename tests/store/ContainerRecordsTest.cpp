// The container's two header records, byte by byte, and the rules for reading back
// fields that a hostile file may have filled with anything.
#include <gtest/gtest.h>

#include <cstring>

#include "store/HeaderFields.h"
#include "store/IndexHeader.h"
#include "store/StreamHeader.h"

namespace {

std::string Bytes(const uint8_t* at, size_t n) { return std::string(reinterpret_cast<const char*>(at), n); }

// `size` zero bytes with the given pieces laid over them at their offsets.
std::string Layout(size_t size, std::initializer_list<std::pair<size_t, std::string>> pieces) {
    std::string bytes(size, '\0');
    for (const auto& [at, piece] : pieces) bytes.replace(at, piece.size(), piece);
    return bytes;
}

TEST(ContainerRecords, IndexHeaderFieldsLandAtTheirOffsetsLittleEndian) {
    IndexHeader h;
    h.created = 0x11223344, h.securityLevel = 2, h.fileCount = 0x0102, h.totalBytes = 0xA1B2C3D4;
    h.structureLength = 19, h.dataLength = 0x10000;
    ASSERT_TRUE(PutFieldText(h.defaultUserId, sizeof h.defaultUserId, "{default}"));
    ASSERT_TRUE(PutFieldText(h.lastUsername, sizeof h.lastUsername, "Ann"));
    ASSERT_TRUE(PutFieldText(h.identityId, sizeof h.identityId, "{guard}"));
    for (int k = 0; k < 16; ++k) h.salt[k] = static_cast<uint8_t>(0xF0 + k);
    uint8_t b[IndexHeader::kSize], again[IndexHeader::kSize];
    h.Serialize(b);
    EXPECT_EQ(Bytes(b, sizeof b),
              Layout(IndexHeader::kSize, {{0, std::string("\x44\x33\x22\x11\x02\0\0\0\0\x01\0\0\x02\x01\0\0", 16)},  // 256 is constant
                                          {16, std::string("\xD4\xC3\xB2\xA1\0\0\0\0\x13\0\0\0\0\0\x01\0", 16)},
                                          {32, "{default}"}, {160, "Ann"}, {480, "{guard}"},
                                          {544, "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF"}}));
    IndexHeader::Parse(b).Serialize(again);
    EXPECT_EQ(Bytes(again, sizeof again), Bytes(b, sizeof b));
}

// The tail after the source path is all zeros (an older container, no check) or our
// mark with its fields and zeros after them; anything else was not written by us.
TEST(ContainerRecords, StreamHeaderLayoutAndATailOfZerosOrOurMark) {
    StreamHeader h, back;
    for (int k = 0; k < 16; ++k) h.salt[k] = static_cast<uint8_t>(k + 1);
    ASSERT_TRUE(PutFieldText(h.sourcePath, sizeof h.sourcePath, "/home/ann/mail/Inbox.dbx"));
    uint8_t b[StreamHeader::kSize];
    h.Serialize(b);
    ASSERT_TRUE(StreamHeader::Parse(b, back));
    EXPECT_FALSE(back.marked);
    b[400] = 1;
    EXPECT_FALSE(StreamHeader::Parse(b, back));
    h.marked = h.stamped = true;
    for (int k = 0; k < 8; ++k) h.keyCheck[k] = static_cast<uint8_t>(0xA0 + k);
    h.plainSize = 0x1'0000'0002ull, h.mode = 0640, h.modifiedSeconds = -2, h.modifiedNanoseconds = 999999999;
    h.Serialize(b);
    EXPECT_EQ(Bytes(b, sizeof b),
              Layout(StreamHeader::kSize, {{0, "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10"},
                                           {21, "\x01"}, {24, "/home/ann/mail/Inbox.dbx"},
                                           {284, "VBK2\xA0\xA1\xA2\xA3\xA4\xA5\xA6\xA7"}, {296, std::string("\x02\0\0\0\x01\0\0\0\xA0\x01", 10)},
                                           {308, std::string(8, '\xFE').replace(1, 7, 7, '\xFF')}, {316, "\xFF\xC9\x9A\x3B"}}));
    ASSERT_TRUE(StreamHeader::Parse(b, back));
    EXPECT_TRUE(back.marked && back.stamped);
    uint8_t again[StreamHeader::kSize];
    back.Serialize(again);
    EXPECT_EQ(Bytes(again, sizeof again), Bytes(b, sizeof b)) << "parsed back whole";
    for (const auto& [at, value] : {std::pair<size_t, uint8_t>{539, 7}, {305, 2}, {319, 0x40}}) {  // past our fields, mode, time
        uint8_t bad[StreamHeader::kSize];
        std::memcpy(bad, b, sizeof b);
        bad[at] = value;
        EXPECT_FALSE(StreamHeader::Parse(bad, back)) << at;
    }
}

TEST(ContainerRecords, TextsMustFitWithTheirZeroAndBeTerminatedToBeRead) {
    char field[64];
    std::memset(field, 'x', sizeof field);
    EXPECT_FALSE(PutFieldText(field, sizeof field, std::string(64, 'a')));
    EXPECT_EQ(field[0], 'x') << "a refused text leaves the field alone";
    EXPECT_FALSE(PutFieldText(field, sizeof field, std::string("a\0b", 3)));
    std::string text;
    EXPECT_TRUE(PutFieldText(field, sizeof field, std::string(63, 'a')) && GetFieldText(field, sizeof field, text));
    EXPECT_EQ(text, std::string(63, 'a'));
    std::memset(field, 'y', sizeof field);
    EXPECT_FALSE(GetFieldText(field, sizeof field, text));
}

}  // namespace
