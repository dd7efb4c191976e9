// The theme archive against what the program loads from it and how it
// draws each picture (tiled strips, cut buttons, image lists, texts drawn
// over backgrounds).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "theme_test_util.h"

using namespace themetest;

namespace {

// Every picture the program reads, by its path in the archive.
const std::vector<std::string> kEntries = {
    "application/application.png",
    "image/title/title_bg.png",
    "image/title/icon.png",
    "image/title/close_normal.png",
    "image/title/close_hover.png",
    "image/title/close_pressed.png",
    "image/title/minimize_normal.png",
    "image/title/minimize_hover.png",
    "image/title/minimize_pressed.png",
    "image/title/maximize_normal.png",
    "image/title/maximize_hover.png",
    "image/title/maximize_pressed.png",
    "image/title/restore_normal.png",
    "image/title/restore_hover.png",
    "image/title/restore_pressed.png",
    "image/border/border_bg.png",
    "image/border/title_border_bg.png",
    "image/border/tool_border_bg.png",
    "image/border/top_border_bg.png",
    "image/status/status_bg.png",
    "image/tool/tool_bg.png",
    "image/tool/menu_bar_bg.png",
    "image/tool/export-normal.png",
    "image/tool/export-current.png",
    "image/tool/export-pressed.png",
    "image/tool/filter_view_normal.png",
    "image/tool/filter_view_hover.png",
    "image/tool/filter_view_pressed.png",
    "image/tool/list_view_normal.png",
    "image/tool/list_view_hover.png",
    "image/tool/list_view_pressed.png",
    "image/dialog/info_bg.png",
    "image/client/client_bg.png",
    "image/client/device-info/ipad.png",
    "image/client/device-info/iphone.png",
    "image/client/device-info/ipod.png",
    "image/client/device-info/unknow.png",
    "image/client/device-info/percentage_audio.png",
    "image/client/device-info/percentage_video.png",
    "image/client/device-info/percentage_photo.png",
    "image/client/device-info/percentage_others.png",
    "image/client/device-info/percentage_available.png",
    "image/client/device-info/sample_audio.png",
    "image/client/device-info/sample_video.png",
    "image/client/device-info/sample_photo.png",
    "image/client/device-info/sample_others.png",
    "image/client/device-info/sample_available.png",
    "image/client/getting-started/cable.png",
    "image/client/getting-started/not_connect.png",
    "image/client/navigation/ipad.png",
    "image/client/navigation/iphone.png",
    "image/client/navigation/ipod.png",
    "image/client/navigation/unknow.png",
    "image/client/navigation/music.png",
    "image/client/navigation/movie.png",
    "image/client/navigation/tv_show.png",
    "image/client/navigation/podcast.png",
    "image/client/navigation/audiobook.png",
    "image/client/navigation/book.png",
    "image/client/navigation/ringtone.png",
    "image/client/navigation/playlist.png",
    "image/client/navigation/voice_memo.png",
    "image/client/navigation/camera_roll.png",
    "image/client/navigation/photo.png",
    "image/client/picture-view/unload_picture.png",
};

const char* const kHistogramParts[] = {"audio", "video", "photo", "others", "available"};

const char* const kNavigationIcons[] = {
    "ipad", "iphone", "ipod", "unknow", "music", "movie", "tv_show", "podcast",
    "audiobook", "book", "ringtone", "playlist", "voice_memo", "camera_roll", "photo"};

// Picture families whose states are drawn in the same place.
struct States {
  std::string normal, hover, pressed;
};
std::vector<States> ButtonStates() {
  std::vector<States> all;
  for (const char* b : {"close", "minimize", "maximize", "restore"}) {
    std::string base = std::string("image/title/") + b;
    all.push_back({base + "_normal.png", base + "_hover.png", base + "_pressed.png"});
  }
  for (const char* b : {"filter_view", "list_view"}) {
    std::string base = std::string("image/tool/") + b;
    all.push_back({base + "_normal.png", base + "_hover.png", base + "_pressed.png"});
  }
  all.push_back({"image/tool/export-normal.png", "image/tool/export-current.png",
                 "image/tool/export-pressed.png"});
  return all;
}

const Colour kWhite{255, 255, 255};
const Colour kBlack{0, 0, 0};

// Heights of the frame's rows, fixed by the frame's layout.
const int kTitleRow = 20;
const int kToolRow = 42;
const int kStatusRow = 30;
const int kBorder = 5;

}  // namespace

TEST(ThemeArchive, HoldsExactlyTheEntryPathsOfTheProgram) {
  const auto& names = ArchiveNames();
  ASSERT_FALSE(names.empty());
  std::set<std::string> expected(kEntries.begin(), kEntries.end());
  std::set<std::string> found(names.begin(), names.end());
  EXPECT_EQ(names.size(), found.size()) << "an entry is in the archive twice";
  for (const auto& entry : expected)
    EXPECT_TRUE(found.count(entry)) << "missing: " << entry;
  for (const auto& name : found)
    EXPECT_TRUE(expected.count(name)) << "not read by the program: " << name;
}

TEST(ThemeArchive, EveryEntryIsAPngPicture) {
  for (const auto& entry : kEntries) {
    auto it = ArchiveEntries().find(entry);
    ASSERT_NE(it, ArchiveEntries().end()) << entry;
    EXPECT_EQ(it->second.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0) << entry << " is not PNG data";
    wxImage image = LoadPicture(entry);
    ASSERT_TRUE(image.IsOk()) << entry << " does not decode";
    EXPECT_GT(image.GetWidth(), 0) << entry;
    EXPECT_GT(image.GetHeight(), 0) << entry;
  }
}

TEST(ThemeArchive, BarStripsHaveTheHeightsOfTheirRows) {
  // The strips repeat downwards; a strip of another height than its row
  // would start over inside the row.
  EXPECT_EQ(LoadPicture("image/title/title_bg.png").GetHeight(), kTitleRow);
  EXPECT_EQ(LoadPicture("image/border/title_border_bg.png").GetHeight(), kTitleRow);
  EXPECT_EQ(LoadPicture("image/tool/tool_bg.png").GetHeight(), kToolRow);
  EXPECT_EQ(LoadPicture("image/border/tool_border_bg.png").GetHeight(), kToolRow);
  EXPECT_EQ(LoadPicture("image/status/status_bg.png").GetHeight(), kStatusRow);
  EXPECT_EQ(LoadPicture("image/border/top_border_bg.png").GetHeight(), kBorder);
}

TEST(ThemeArchive, TiledPicturesAreOpaqueAndEvenAcross) {
  // Tiled with stipple brushes and panel backgrounds: transparency would
  // show whatever was below, a row that changes across would show seams.
  for (const char* entry :
       {"image/title/title_bg.png", "image/tool/tool_bg.png", "image/tool/menu_bar_bg.png",
        "image/status/status_bg.png", "image/border/border_bg.png",
        "image/border/title_border_bg.png", "image/border/tool_border_bg.png",
        "image/border/top_border_bg.png", "image/client/client_bg.png"}) {
    wxImage image = LoadPicture(entry);
    ASSERT_TRUE(image.IsOk()) << entry;
    EXPECT_TRUE(IsOpaque(image)) << entry;
    EXPECT_TRUE(RowsUniform(image, 0, image.GetWidth(), 0)) << entry;
  }
  for (const char* part : kHistogramParts) {
    std::string entry = std::string("image/client/device-info/percentage_") + part + ".png";
    wxImage image = LoadPicture(entry);
    ASSERT_TRUE(image.IsOk()) << entry;
    EXPECT_TRUE(IsOpaque(image)) << entry;
    EXPECT_TRUE(RowsUniform(image, 0, image.GetWidth(), 0)) << entry;
    // The bar is 28 pixels high; a shorter tile would repeat inside it.
    EXPECT_GE(image.GetHeight(), 28) << entry;
  }
  wxImage dialog = LoadPicture("image/dialog/info_bg.png");
  ASSERT_TRUE(dialog.IsOk());
  EXPECT_TRUE(IsOpaque(dialog));
}

TEST(ThemeArchive, BordersContinueTheBarsBesideThem) {
  wxImage title = LoadPicture("image/title/title_bg.png");
  wxImage title_border = LoadPicture("image/border/title_border_bg.png");
  wxImage tool = LoadPicture("image/tool/tool_bg.png");
  wxImage tool_border = LoadPicture("image/border/tool_border_bg.png");
  wxImage top = LoadPicture("image/border/top_border_bg.png");
  wxImage status = LoadPicture("image/status/status_bg.png");
  wxImage body = LoadPicture("image/border/border_bg.png");
  ASSERT_TRUE(title.IsOk() && title_border.IsOk() && tool.IsOk() && tool_border.IsOk() &&
              top.IsOk() && status.IsOk() && body.IsOk());

  for (int y = 0; y < title.GetHeight() && y < title_border.GetHeight(); ++y)
    EXPECT_LE(Distance(PixelColour(title, 0, y), PixelColour(title_border, 0, y)), 3)
        << "title border row " << y;
  for (int y = 0; y < tool.GetHeight() && y < tool_border.GetHeight(); ++y)
    EXPECT_LE(Distance(PixelColour(tool, 0, y), PixelColour(tool_border, 0, y)), 3)
        << "tool border row " << y;
  // The top border runs straight into the title bar below it.
  EXPECT_LE(Distance(PixelColour(top, 0, top.GetHeight() - 1), PixelColour(title, 0, 0)), 12);
  // The body border stands beside the status bar and under it.
  EXPECT_LE(Distance(MeanColour(body), PixelColour(status, 0, status.GetHeight() / 2)), 6);
}

TEST(ThemeArchive, MenuBarBlendsIntoTheToolBarWhereItSits) {
  // The menu bar is centred in the tool bar, so its picture must repeat
  // the tool bar's rows at that height.
  wxImage tool = LoadPicture("image/tool/tool_bg.png");
  wxImage menu = LoadPicture("image/tool/menu_bar_bg.png");
  ASSERT_TRUE(tool.IsOk() && menu.IsOk());
  ASSERT_LE(menu.GetHeight(), tool.GetHeight());
  int offset = (tool.GetHeight() - menu.GetHeight()) / 2;
  for (int y = 0; y < menu.GetHeight(); ++y)
    EXPECT_LE(Distance(PixelColour(menu, 0, y), PixelColour(tool, 0, y + offset)), 3)
        << "menu bar row " << y;
}

TEST(ThemeArchive, ButtonStatesShareTheirSizeAndLookDifferent) {
  for (const auto& s : ButtonStates()) {
    wxImage normal = LoadPicture(s.normal);
    wxImage hover = LoadPicture(s.hover);
    wxImage pressed = LoadPicture(s.pressed);
    ASSERT_TRUE(normal.IsOk() && hover.IsOk() && pressed.IsOk()) << s.normal;
    EXPECT_EQ(normal.GetSize(), hover.GetSize()) << s.hover;
    EXPECT_EQ(normal.GetSize(), pressed.GetSize()) << s.pressed;
    EXPECT_GE(MeanDifference(normal, hover), 4.0) << s.hover << " looks like " << s.normal;
    EXPECT_GE(MeanDifference(normal, pressed), 4.0) << s.pressed << " looks like " << s.normal;
    EXPECT_GE(MeanDifference(hover, pressed), 4.0) << s.pressed << " looks like " << s.hover;
  }
}

TEST(ThemeArchive, TitleButtonsFitTheTitleRow) {
  // Maximise and restore take turns at one place; all sit in the 20 px row.
  wxSize close = LoadPicture("image/title/close_normal.png").GetSize();
  for (const char* b : {"close", "minimize", "maximize", "restore"}) {
    wxSize size = LoadPicture(std::string("image/title/") + b + "_normal.png").GetSize();
    EXPECT_LE(size.y, kTitleRow) << b;
    EXPECT_EQ(size, close) << b;
  }
  EXPECT_EQ(LoadPicture("image/title/icon.png").GetSize(), wxSize(16, 16));
}

TEST(ThemeArchive, ToolBarPicturesFitTheToolRow) {
  for (const char* entry : {"image/tool/export-normal.png", "image/tool/filter_view_normal.png",
                            "image/tool/list_view_normal.png", "image/tool/menu_bar_bg.png"}) {
    wxImage image = LoadPicture(entry);
    ASSERT_TRUE(image.IsOk()) << entry;
    EXPECT_LE(image.GetHeight(), kToolRow) << entry;
  }
  EXPECT_EQ(LoadPicture("image/tool/filter_view_normal.png").GetSize(),
            LoadPicture("image/tool/list_view_normal.png").GetSize());
}

TEST(ThemeArchive, ListPicturesHaveTheSizesOfTheirImageLists) {
  // Image lists refuse pictures of another size than theirs.
  for (const char* icon : kNavigationIcons) {
    std::string entry = std::string("image/client/navigation/") + icon + ".png";
    EXPECT_EQ(LoadPicture(entry).GetSize(), wxSize(16, 16)) << entry;
  }
  EXPECT_EQ(LoadPicture("image/client/picture-view/unload_picture.png").GetSize(),
            wxSize(100, 100));
}

TEST(ThemeArchive, NavigationIconsCanBeToldApart) {
  std::vector<wxImage> icons;
  for (const char* icon : kNavigationIcons)
    icons.push_back(LoadPicture(std::string("image/client/navigation/") + icon + ".png"));
  for (size_t i = 0; i < icons.size(); ++i) {
    ASSERT_TRUE(icons[i].IsOk()) << kNavigationIcons[i];
    for (size_t j = i + 1; j < icons.size(); ++j)
      EXPECT_GE(MeanDifference(icons[i], icons[j]), 8.0)
          << kNavigationIcons[i] << " and " << kNavigationIcons[j] << " look alike";
  }
}

TEST(ThemeArchive, HistogramPartsHaveDistinctColoursMatchedByTheLegend) {
  std::vector<Colour> parts;
  for (const char* part : kHistogramParts) {
    wxImage bar = LoadPicture(std::string("image/client/device-info/percentage_") + part + ".png");
    wxImage sample = LoadPicture(std::string("image/client/device-info/sample_") + part + ".png");
    ASSERT_TRUE(bar.IsOk() && sample.IsOk()) << part;
    // The bar shows its top 28 rows.
    Colour colour = MeanColour(bar, wxRect(0, 0, bar.GetWidth(), 28));
    Colour swatch = PixelColour(sample, sample.GetWidth() / 2, sample.GetHeight() / 2);
    EXPECT_LE(Distance(colour, swatch), 40) << "legend swatch of " << part;
    parts.push_back(colour);
  }
  for (size_t i = 0; i < parts.size(); ++i)
    for (size_t j = i + 1; j < parts.size(); ++j)
      EXPECT_GE(Distance(parts[i], parts[j]), 80)
          << kHistogramParts[i] << " and " << kHistogramParts[j];
  // Free space is a light grey.
  const Colour& available = parts.back();
  double high = std::max({available.r, available.g, available.b});
  double low = std::min({available.r, available.g, available.b});
  EXPECT_GE(low, 190);
  EXPECT_LE(high - low, 20);
}

TEST(ThemeArchive, TextsAreReadableOnTheirBackgrounds) {
  // The status text is white, the device views' and the about dialog's
  // texts are black.
  wxImage status = LoadPicture("image/status/status_bg.png");
  wxImage client = LoadPicture("image/client/client_bg.png");
  ASSERT_TRUE(status.IsOk() && client.IsOk());
  EXPECT_GE(Contrast(kWhite, MeanColour(status)), 7.0);
  EXPECT_GE(Contrast(kBlack, MeanColour(client)), 7.0);

  wxImage dialog = LoadPicture("image/dialog/info_bg.png");
  ASSERT_TRUE(dialog.IsOk());
  int w = dialog.GetWidth();
  // Title at (20, 6), name at y 120, link at y 190, each about 20 high.
  EXPECT_GE(Contrast(kBlack, MeanColour(dialog, wxRect(20, 6, 120, 18))), 7.0);
  EXPECT_GE(Contrast(kBlack, MeanColour(dialog, wxRect(w / 4, 120, w / 2, 20))), 7.0);
  EXPECT_GE(Contrast(kBlack, MeanColour(dialog, wxRect(w / 4, 190, w / 2, 20))), 7.0);
}

TEST(ThemeArchive, AboutBackgroundHasRoomForTheDialogsContent) {
  // The dialog takes its size from the picture: the link sits at y 190 and
  // the Ok button 40 px above the bottom edge; the title buttons, the
  // title and the 80 px picture share the top.
  wxImage dialog = LoadPicture("image/dialog/info_bg.png");
  ASSERT_TRUE(dialog.IsOk());
  EXPECT_GE(dialog.GetHeight(), 250);
  EXPECT_GE(dialog.GetWidth(), 300);
}
