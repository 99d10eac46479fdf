#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include "platform/Shell.h"
#include "ui/DialogLook.h"
#include "ui/ResourceImages.h"

TEST(uiResourceImages, EveryButtonRoleHasTwoDifferent16PixelIcons) {
    for (unsigned role : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 1005u}) {
        const unsigned hovered = role < 100 ? role + 10000 : role;
        const wxImage in = LoadIconResource(hovered).ConvertToImage(), out = LoadIconResource(hovered + 10000).ConvertToImage();
        ASSERT_TRUE(in.IsOk() && out.IsOk()) << role;
        EXPECT_EQ(wxSize(16, 16), in.GetSize()) << role;
        EXPECT_EQ(wxSize(16, 16), out.GetSize()) << role;
        EXPECT_NE(0, memcmp(in.GetData(), out.GetData(), 16 * 16 * 3)) << "hovering would show nothing: " << role;
    }
}

TEST(uiResourceImages, ProgramIconsComeInTheNearestSizeAndTheHandPointsWithItsFingertip) {
    EXPECT_EQ(48, LoadIconResource(128, 48).GetWidth());
    EXPECT_EQ(16, LoadIconResource(20009, 16).GetWidth());
    EXPECT_EQ(32, LoadIconResource(20009, 40).GetWidth());
    EXPECT_FALSE(LoadIconResource(4242, 32).IsOk());

    ASSERT_TRUE(LoadCursorResource(HandCursorId).IsOk());
    const platform::Resource res = platform::FindResource("CURSOR", HandCursorId);
    wxMemoryInputStream stream(res.data, res.size);
    wxImage image;
    ASSERT_TRUE(image.LoadFile(stream, wxBITMAP_TYPE_CUR));
    EXPECT_EQ(wxSize(32, 32), image.GetSize());
    EXPECT_EQ(6, image.GetOptionInt(wxIMAGE_OPTION_CUR_HOTSPOT_X));
    EXPECT_EQ(0, image.GetOptionInt(wxIMAGE_OPTION_CUR_HOTSPOT_Y));
    ASSERT_TRUE(image.HasMask() || image.HasAlpha());
    EXPECT_FALSE(image.IsTransparent(6, 0)) << "the hot spot is on the hand";
}
