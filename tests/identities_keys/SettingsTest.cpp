// The settings: defaults on a fresh account, round trips, values set by hand, and the
// key that follows the program's name.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "identities/RegistryKey.h"
#include "identities/Settings.h"
#include "support/TempRegistry.h"

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { SetApplicationName("Veilbox"); }
    void TearDown() override { SetApplicationName(""); }

    static RegistryKey Section(const std::string& application = "Veilbox") {
        RegistryKey key;
        key.Create(HKEY_CURRENT_USER, "Software\\Keelfern\\" + application + "\\main",
                   KEY_ALL_ACCESS);
        return key;
    }
    static void SetNumber(const char* name, int32_t value) {
        ASSERT_EQ(RegSetValueExA(Section().Handle(), name, 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&value), sizeof value),
                  ERROR_SUCCESS);
    }
    static std::string Raw(const char* name, DWORD& type) {
        BYTE data[64];
        DWORD size = sizeof data;
        if (RegQueryValueExA(Section().Handle(), name, nullptr, &type, data, &size) != ERROR_SUCCESS)
            return "<missing>";
        return std::string(reinterpret_cast<char*>(data), size);
    }

    TempRegistry registry_;
};

}  // namespace

TEST_F(SettingsTest, AFreshAccountReadsTheDefaultsAndCreatesNothing) {
    EXPECT_EQ(GetSecurityLevel(), SecurityHigh);
    EXPECT_EQ(GetGuardId(), "");
    EXPECT_TRUE(IsFirstRun());
    RegistryKey company;
    EXPECT_EQ(company.Open(HKEY_CURRENT_USER, "Software\\Keelfern", KEY_READ), ERROR_FILE_NOT_FOUND);
}

TEST_F(SettingsTest, WrittenValuesReadBackInTheirStoredForm) {
    const std::string guard = "{2B2D6E5A-1C3F-4D8E-9A0B-7C6D5E4F3A2B}";
    ASSERT_TRUE(SetGuardId(guard));
    ASSERT_TRUE(SetSecurityLevel(SecurityLow));
    ASSERT_TRUE(ClearFirstRun());
    EXPECT_EQ(GetGuardId(), guard);
    EXPECT_EQ(GetSecurityLevel(), SecurityLow);
    EXPECT_FALSE(IsFirstRun());

    DWORD type = 0;
    EXPECT_EQ(Raw("guardid", type), guard + '\0');
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_EQ(Raw("secmode", type), std::string(4, '\0'));
    EXPECT_EQ(type, DWORD{REG_DWORD});
    EXPECT_EQ(Raw("first", type), std::string(4, '\0'));

    ASSERT_TRUE(SetSecurityLevel(-1));
    EXPECT_EQ(GetSecurityLevel(), -1);
    ASSERT_TRUE(SetGuardId(""));
    EXPECT_EQ(GetGuardId(), "");
}

TEST_F(SettingsTest, ValuesSetByHandAreReadAfreshAndUnchecked) {
    SetNumber("secmode", 7);
    EXPECT_EQ(GetSecurityLevel(), 7);
    SetNumber("secmode", SecurityMedium);
    EXPECT_EQ(GetSecurityLevel(), SecurityMedium);
    SetNumber("first", 5);
    EXPECT_TRUE(IsFirstRun());

    const char text[] = "1";
    ASSERT_EQ(RegSetValueExA(Section().Handle(), "secmode", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(text), sizeof text),
              ERROR_SUCCESS);
    EXPECT_EQ(GetSecurityLevel(), SecurityHigh) << "a value of the wrong type reads as absent";
}

TEST_F(SettingsTest, TheKeyFollowsTheProgramName) {
    ASSERT_TRUE(SetGuardId("{veilbox}"));
    SetApplicationName("Renamed");
    EXPECT_EQ(GetGuardId(), "") << "another program name starts from the defaults";
    ASSERT_TRUE(SetGuardId("{renamed}"));

    SetApplicationName("");
    EXPECT_EQ(GetApplicationName(), "test_identities_keys");
    ASSERT_TRUE(SetSecurityLevel(SecurityMedium));
    DWORD bytes = 0;
    Section("test_identities_keys").QueryString("secmode", "", bytes);
    EXPECT_EQ(bytes, 4u);

    SetApplicationName("Veilbox");
    EXPECT_EQ(GetGuardId(), "{veilbox}");
    EXPECT_EQ(Section("Renamed").QueryString("guardid"), "{renamed}");
}
