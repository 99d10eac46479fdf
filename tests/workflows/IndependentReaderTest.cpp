// A container read back by an independent implementation (olefile, hashlib and a few
// lines of RC4 in Python) shows the right streams and fields, and every stream
// deciphers to the original file.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/CommandOutput.h"
#include "support/World.h"

namespace {

TEST_F(WorldTest, IndependentReaderSeesTheStreamsFieldsAndOriginalBytes) {
    world.SetPassword("Secret 1!");
    std::filesystem::permissions(world.StorePath("Inbox.dbx"), std::filesystem::perms(0640));
    ASSERT_TRUE(world.Hide().ok);
    TempDir out;
    int exitCode = -1;
    const std::string reader = "/usr/bin/python3 '" VEILBOX_SOURCE_DIR "/tests/workflows/read_container.py' '";
    const std::string json = CommandOutput(reader + world.ContainerPath() + "' 'Secret 1!' '" + out.path() + "'",
                                           &exitCode);
    ASSERT_EQ(exitCode, 0) << json;
    const std::string parts[] = {
        "\"streams\": [\"00000\", \"00001\", \"00002\", \"00003\", \"index\", \"seal\"]",
        // "SEAL": the seal stream proves every byte.
        "\"securityLevel\": 2, \"constant\": 256, \"fileCount\": 4, \"totalBytes\": 285536, \"reserved\": 1279346003",
        "\"seal\": {\"mark\": \"VBSEAL01\", \"fileCount\": 4, \"keyCheckOk\": true, \"indexDigestOk\": true}",
        "\"mode\": \"640\"", "\"defaultUserId\": \"work-user-id\"", "\"lastUsername\": \"Work\"",
        std::string("\"identityId\": \"") + World::kGuard + "\"",
        "\"reserved\": 0, \"constant\": 256, \"sourcePath\"",
    };
    for (const std::string& part : parts) EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    size_t digests = 0;
    for (size_t at = 0; (at = json.find("\"digestOk\": true", at)) != std::string::npos; ++at) ++digests;
    EXPECT_EQ(digests, 4u) << json;
    // Discovery order is case-insensitive name order.
    const char* order[] = {"Deleted Items.dbx", "Empty.dbx", "Folders.DBX", "Inbox.dbx"};
    size_t at = 0;
    for (int k = 0; k < 4; ++k) {
        const std::string entry = "\"sourcePath\": \"" + world.StorePath(order[k]) + "\", \"marked\": true, "
                                  "\"keyCheckOk\": true, \"plainSize\": " +
                                  std::to_string(world.original().at(order[k]).size());
        at = json.find(entry, at);
        ASSERT_NE(at, std::string::npos) << entry << "\n" << json;
        EXPECT_EQ(ReadWholeFile(out.file(World::StreamName(k))), world.original().at(order[k])) << order[k];
    }
}

}  // namespace
