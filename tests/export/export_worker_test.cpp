// The export for real: the main window on small device images, the real
// worker thread, the real progress dialog, files written to a temporary
// tree.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/timer.h>
#include <wx/menu.h>
#include <wx/progdlg.h>
#include <wx/treectrl.h>
#include <zip.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/transfer_app.h"
#include "app/zl_app_path.h"
#include "common/domain_face.h"
#include "device/device_record.h"
#include "device_image_fixture.h"
#include "export/do_export_device_file.h"
#include "export/tool_bar.h"
#include "screen_capture.h"
#include "settings/option_data.h"
#include "export_folders.h"
#include "main_window.h"
#include "test_support.h"
#include "window/device_content_view.h"
#include "window/left_pane.h"
#include "window/picture_icon_view.h"
#include "window/public_list_ctrl.h"
#include "window/right_pane.h"
#include "window/transfer_frame.h"

namespace {

using testsupport::ArrayOf;
using testsupport::DeviceImageBuilder;
using testsupport::Dict;
using testsupport::FlatList;
using testsupport::Group;

void IgnoreWarning(const wxString&) {}

struct Media {
  std::string title;
  std::string path;
  std::string content;
};

const Media kSongA{"Song A", "/iTunes_Control/Music/F00/AAAA.mp3", std::string(40000, 'a')};
const Media kSongB{"Song B", "/iTunes_Control/Music/F01/BBBB.m4a", std::string(20000, 'b')};
const Media kSongC{"Song C", "/iTunes_Control/Music/F02/CCCC.mp3", std::string(10000, 'c')};
const Media kRing{"Ring", "/iTunes_Control/Ringtones/R1.m4r", "ring"};
const Media kManual{"Manual", "/Books/Manual.pdf", "%PDF-1.4 manual"};
const Media kNovel{"Novel", "/Books/Novel.EPUB", ""};  // a directory, named in capitals

// A file's content as the trees hold it: short ones whole, long ones by
// their size and first letter, so that a failure stays readable.
std::string Summary(const std::string& content) {
  if (content.size() <= 200) return content;
  return std::to_string(content.size()) + " bytes of " + content.substr(0, 1);
}

// Writes a file, making its folders first.
void Put(const std::string& path, const std::string& content) {
  wxFileName::Mkdir(wxString::FromUTF8(path.substr(0, path.rfind('/'))), 0777, wxPATH_MKDIR_FULL);
  testsupport::WriteFile(path, content);
}

// Every file below a folder (relative path and content summary); folders
// end in "/".
std::map<std::string, std::string> Tree(const std::string& root, const std::string& sub = "") {
  std::map<std::string, std::string> tree;
  DIR* dir = opendir((root + sub).c_str());
  if (!dir) return tree;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string relative = sub + "/" + name;
    struct stat st;
    if (lstat((root + relative).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      tree[relative + "/"] = "";
      for (const auto& inner : Tree(root, relative)) tree.insert(inner);
    } else {
      tree[relative] = Summary(testsupport::ReadFile(root + relative));
    }
  }
  closedir(dir);
  return tree;
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Name and compression of an archive's first entry, and its entry count.
struct ZipStart {
  std::string first;
  bool stored = false;
  long entries = -1;
};
ZipStart ReadZipStart(const std::string& path) {
  ZipStart start;
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive) return start;
  start.entries = static_cast<long>(zip_get_num_entries(archive, 0));
  zip_stat_t st;
  zip_stat_init(&st);
  if (start.entries > 0 && zip_stat_index(archive, 0, 0, &st) == 0) {
    start.first = st.name;
    start.stored = st.comp_method == ZIP_CM_STORE;
  }
  zip_close(archive);
  return start;
}

plist_t Item(const Media& media) {
  return Dict({{"title", media.title}, {"path", media.path}, {"name", media.title}},
              {{"size", media.content.size()}});
}

// What the export showed the user and handed to the desktop.
std::vector<std::pair<wxString, long>> g_messages;
std::vector<wxString> g_opened;
int g_answer = wxYES;
bool g_choose = true;
wxString g_chosen;
int g_choices = 0;

class ExportTest : public ::testing::Test {
 public:
  void SetUp() override {
    LeftPane::show_warning_ = IgnoreWarning;
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
    root_ = testsupport::MakeTempDir("export");
    out_ = root_ + "/out";
    saved_ = testsupport::ExportIntoFolder(out_);
    g_messages.clear();
    g_opened.clear();
    g_answer = wxYES;
    g_choose = true;
    g_chosen.clear();
    g_choices = 0;
    ToolBar::message_box_ = [](const wxString& text, long style) {
      g_messages.push_back({text, style});
      return (style & wxYES_NO) ? g_answer : wxOK;
    };
    ToolBar::open_folder_ = [](const wxString& folder) { g_opened.push_back(folder); };
    ToolBar::choose_folder_ = [](wxString* folder) {
      ++g_choices;
      if (g_choose && !g_chosen.empty()) *folder = g_chosen;
      return g_choose;
    };
  }

  void TearDown() override {
    testsupport::RunLoopUntil([] { return DoExportDeviceFile::RunningCount() == 0; }, 20000);
    DoExportDeviceFile::name_chosen_ = nullptr;
    OptionData::data_ = saved_;
    if (frame_) {
      frame_->Destroy();
      testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
    }
  }

  // A phone with three songs, two playlists, a book catalog (an EPUB
  // stored as a folder and a PDF), a ringtone and three pictures.
  DeviceImageBuilder& Phone() {
    image_.reset(new DeviceImageBuilder(root_ + "/phone"));
    DeviceImageBuilder& image = *image_;
    image.Identifier(std::string(40, 'e')).Info(Dict({{"DeviceName", "Phone"}, {"Type", "iPhone9,1"}}));
    for (const Media* media : {&kSongA, &kSongB, &kSongC, &kRing, &kManual})
      image.File(media->path, media->content);
    image.File("/Books/Novel.EPUB/mimetype", "application/epub+zip")
        .File("/Books/Novel.EPUB/META-INF/container.xml", "<container/>")
        .File("/Books/Novel.EPUB/OEBPS/text.xhtml", std::string(3000, 'n'));
    image.List("Music", FlatList({Item(kSongA), Item(kSongB), Item(kSongC)}))
        .List("Playlists", ArrayOf({Group("name", "Road", {Item(kSongA), Item(kSongC)}),
                                    Group("name", "Night", {Item(kSongB)})}))
        .List("Books", ArrayOf({Group("catalog", "Novels", {Item(kNovel), Item(kManual)})}))
        .List("Ringtones", FlatList({Item(kRing)}));
    std::vector<plist_t> pictures;
    for (int i = 1; i <= 3; ++i) {
      const std::string path = "/DCIM/100APPLE/IMG_000" + std::to_string(i) + ".JPG";
      image.File(path, "picture " + std::to_string(i));
      pictures.push_back(Dict({{"path", path}, {"time", "2024-03-04 00:10:07"}}, {{"size", 9}}));
    }
    image.List("CameraRoll", FlatList(pictures));
    return image;
  }

  // Each copy crawls, so a test can act while a file is on its way.
  void Slow(uint64_t bytes_per_second) {
    image_->Setting("ThrottleBytesPerSecond", plist_new_uint(bytes_per_second));
  }

  void StartAndDetect() {
    testsupport::ConnectImages({image_->Write()});
    TransferApp& app = wxGetApp();
    ASSERT_TRUE(testsupport::StartMainWindow(&frame_, wxSize(1000, 700), 10000));
    tool_bar_ = app.tool_bar_;
    pane_ = app.left_pane_;
  }

  const DeviceContext& Current() {
    const CurrentDeviceList& list = AppData::current_device_list_;
    return list.device_contexts[list.current_index];
  }

  void Choose(CategoryCode code) {
    for (size_t i = 0; i < kCategoryCount; ++i)
      if (kCategories[i].code == code) pane_->navigation_tree()->SelectItem(pane_->category_item(i));
    testsupport::RunLoopFor(50);
  }

  void Command(wxEventType type, int id) {
    wxCommandEvent event(type, id);
    event.SetEventObject(tool_bar_);
    tool_bar_->GetEventHandler()->ProcessEvent(event);
  }

  // A navigation popup's command for a group node, through the popup's own
  // binding.
  void PopupCommand(int category, plist_t node) {
    std::unique_ptr<wxMenu> menu(LeftPane::CreateNavigationPopupMenu(category, node));
    ASSERT_EQ(menu->GetMenuItemCount(), 1u);
    wxCommandEvent event(wxEVT_MENU, menu->FindItemByPosition(0)->GetId());
    menu->ProcessEvent(event);
  }

  bool ExportEnded(int timeout_ms = 20000) {
    return testsupport::RunLoopUntil(
        [] {
          return DoExportDeviceFile::RunningCount() == 0 && wxGetApp().progress_dialog_ == nullptr;
        },
        timeout_ms);
  }

  wxProgressDialog* Dialog() { return wxGetApp().progress_dialog_; }

  // The user closes the progress dialog.
  void CloseDialog() {
    wxCloseEvent close(wxEVT_CLOSE_WINDOW, Dialog()->GetId());
    close.SetEventObject(Dialog());
    Dialog()->ProcessWindowEvent(close);
  }

  std::string Folder(const char* sub) { return out_ + sub; }

  std::string root_, out_;
  OptionConfig saved_;
  std::unique_ptr<DeviceImageBuilder> image_;
  TransferFrame* frame_ = nullptr;
  ToolBar* tool_bar_ = nullptr;
  LeftPane* pane_ = nullptr;
};

TEST_F(ExportTest, CheckedSongsGoToTheMusicFolderUnderTheirTitlesBesideWhatIsThere) {
  Phone();
  StartAndDetect();
  Put(Folder("/Music") + "/Song A.mp3", "mine");
  Choose(kCategoryMusic);
  PublicListCtrl* list = wxGetApp().public_list_;
  ASSERT_EQ(list->GetItemCount(), 3u);
  list->SetToggleValue(true, 0);
  list->SetToggleValue(true, 2);
  Command(wxEVT_BUTTON, kExportButtonId);
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_EQ(Dialog()->GetSize().x, 500);
  ASSERT_TRUE(ExportEnded());

  EXPECT_EQ(Tree(Folder("/Music")), (std::map<std::string, std::string>{
                                        {"/Song A.mp3", "mine"},  // untouched
                                        {"/Song A(1).mp3", Summary(kSongA.content)},
                                        {"/Song C.mp3", Summary(kSongC.content)}}));
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0].first, "Export finished! Would you like to open the export folder now?");
  EXPECT_TRUE(g_messages[0].second & wxYES_NO);
  // Yes opens the folder, written as it is.
  EXPECT_EQ(g_opened, std::vector<wxString>{wxString::FromUTF8(Folder("/Music"))});
}

TEST_F(ExportTest, TheExportButtonFallsBackToWhatIsShownAndExportCheckedDoesNot) {
  Phone();
  StartAndDetect();
  g_answer = wxNO;
  // The device information is shown: all Music.
  ASSERT_TRUE(wxGetApp().right_pane_->ZLIsShown(kDeviceInfoView));
  Command(wxEVT_BUTTON, kExportButtonId);
  ASSERT_TRUE(ExportEnded());
  EXPECT_EQ(Tree(Folder("/Music")).size(), 3u);
  EXPECT_TRUE(g_opened.empty());  // answered No

  // The media list with nothing checked: "Export Checked" does nothing.
  Choose(kCategoryRingtones);
  Command(wxEVT_MENU, kExportCheckedId);
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_EQ(DoExportDeviceFile::RunningCount(), 0);
  testsupport::RunLoopFor(100);
  EXPECT_TRUE(Tree(Folder("/Ringtones")).empty());
  // The Export button takes every row.
  Command(wxEVT_BUTTON, kExportButtonId);
  ASSERT_TRUE(ExportEnded());
  EXPECT_EQ(Tree(Folder("/Ringtones")),
            (std::map<std::string, std::string>{{"/Ring.m4r", kRing.content}}));

  // Camera Roll thumbnails, two selected: those two.
  Choose(kCategoryCameraRoll);
  PictureIconView* icons = wxGetApp().camera_roll_icon_view_;
  ASSERT_TRUE(wxGetApp().device_content_view_->ZLIsShown(kContentCameraRollIcons));
  icons->Select(0);
  icons->Select(2);
  Command(wxEVT_BUTTON, kExportButtonId);
  ASSERT_TRUE(ExportEnded());
  EXPECT_EQ(Tree(Folder("/Camera Roll")),
            (std::map<std::string, std::string>{{"/IMG_0001.JPG", "picture 1"},
                                                {"/IMG_0003.JPG", "picture 3"}}));
  EXPECT_EQ(g_messages.size(), 3u);
}

TEST_F(ExportTest, APlaylistGoesIntoItsOwnFolderWithAPlaylistFileBesideIt) {
  Phone();
  StartAndDetect();
  PopupCommand(kCategoryPlaylist, record::GroupAt(Current().playlist_list, 0));
  ASSERT_TRUE(ExportEnded());
  EXPECT_EQ(Tree(Folder("/Playlists")),
            (std::map<std::string, std::string>{
                {"/Road/", ""},
                {"/Road/Song A.mp3", Summary(kSongA.content)},
                {"/Road/Song C.mp3", Summary(kSongC.content)},
                {"/Road.m3u8",
                 "#EXTM3U\n#EXTINF:-1,Song A\nRoad/Song A.mp3\n#EXTINF:-1,Song C\n"
                 "Road/Song C.mp3\n"}}));
  EXPECT_EQ(g_opened, std::vector<wxString>{wxString::FromUTF8(Folder("/Playlists/Road"))});

  // All playlists again: new names beside the first export, a second
  // playlist file for Road, and the folder of the last item opened.
  g_opened.clear();
  Command(wxEVT_MENU, 5108);
  ASSERT_TRUE(ExportEnded());
  const auto tree = Tree(Folder("/Playlists"));
  EXPECT_EQ(tree.at("/Road(1).m3u8"),
            "#EXTM3U\n#EXTINF:-1,Song A\nRoad/Song A(1).mp3\n#EXTINF:-1,Song C\n"
            "Road/Song C(1).mp3\n");
  EXPECT_EQ(tree.at("/Night/Song B.m4a"), Summary(kSongB.content));
  EXPECT_EQ(tree.at("/Night.m3u8"), "#EXTM3U\n#EXTINF:-1,Song B\nNight/Song B.m4a\n");
  EXPECT_EQ(g_opened, std::vector<wxString>{wxString::FromUTF8(Folder("/Playlists/Night"))});
}

TEST_F(ExportTest, ABookCatalogPacksItsEpubFoldersAndCopiesItsPdfs) {
  // An e-book that is one file on the device is copied as that file.
  const Media flat{"Flat", "/Books/Flat.epub", "PK flat e-book"};
  Phone()
      .File(flat.path, flat.content)
      .List("Books", ArrayOf({Group("catalog", "Novels", {Item(kNovel), Item(kManual), Item(flat)})}));
  StartAndDetect();
  // A folder of the user's own with the name a staging folder once had.
  Put(Folder("/Books/Novels/Novel.epub.dir") + "/keep.txt", "keep");
  PopupCommand(kCategoryBookCatalog, record::GroupAt(Current().book_list, 0));
  ASSERT_TRUE(ExportEnded());
  const auto tree = Tree(Folder("/Books"));
  EXPECT_EQ(tree.at("/Novels/Manual.pdf"), kManual.content);
  EXPECT_EQ(tree.at("/Novels/Flat.epub"), flat.content);
  EXPECT_EQ(tree.at("/Novels/Novel.epub.dir/keep.txt"), "keep");
  const ZipStart epub = ReadZipStart(Folder("/Books/Novels/Novel.epub"));
  EXPECT_EQ(epub.first, "mimetype");
  EXPECT_TRUE(epub.stored);
  EXPECT_EQ(epub.entries, 3);
  // Nothing else: no staging folder is left.
  EXPECT_EQ(tree.size(), 6u) << ::testing::PrintToString(tree);
}

TEST_F(ExportTest, StoppingDuringACopyLeavesNoFileAndNoMessage) {
  // Closing the dialog, and its Cancel button (seen at the next update).
  const std::function<void(ExportTest*)> kStops[] = {
      [](ExportTest* test) { test->CloseDialog(); },
      [](ExportTest* test) {
        wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
        cancel.SetEventObject(test->Dialog());
        test->Dialog()->FindWindow(wxID_CANCEL)->GetEventHandler()->ProcessEvent(cancel);
      },
  };
  Phone();
  Slow(20000);
  StartAndDetect();
  for (const auto& stop : kStops) {
    Command(wxEVT_MENU, 5100);
    ASSERT_TRUE(testsupport::RunLoopUntil([&] { return Dialog() && Dialog()->GetValue() > 0; }));
    EXPECT_TRUE(Dialog()->GetMessage().StartsWith("Exporting 1 of 3 files: Song A\n"));
    stop(this);
    ASSERT_TRUE(ExportEnded());
    EXPECT_TRUE(Tree(Folder("/Music")).empty());
    EXPECT_TRUE(g_messages.empty());
  }
}

TEST_F(ExportTest, StoppingDuringABooksFolderCopyRemovesOnlyTheWorkersOwnStaging) {
  Phone();
  Slow(3000);  // the book's folder takes about a second
  StartAndDetect();
  Put(Folder("/Books/Novels/Novel.epub.dir") + "/keep.txt", "keep");
  PopupCommand(kCategoryBookCatalog, record::GroupAt(Current().book_list, 0));
  auto staging = [&] {
    for (const auto& entry : Tree(Folder("/Books/Novels")))
      if (entry.first.find("/.book-export-") == 0) return true;
    return false;
  };
  ASSERT_TRUE(testsupport::RunLoopUntil(staging));
  // Waits for the folder copy, which has no progress to stop at.
  CloseDialog();
  ASSERT_TRUE(ExportEnded());
  EXPECT_EQ(Tree(Folder("/Books/Novels")),
            (std::map<std::string, std::string>{{"/Novel.epub.dir/", ""},
                                                {"/Novel.epub.dir/keep.txt", "keep"}}));
  EXPECT_TRUE(g_messages.empty());
}

TEST_F(ExportTest, AStoppedWorkerNeverResumesWhenTheNextExportStarts) {
  Phone();
  Slow(20000);
  StartAndDetect();
  Command(wxEVT_MENU, 5100);  // all Music: three songs
  ASSERT_TRUE(testsupport::RunLoopUntil([&] { return Dialog() && Dialog()->GetValue() > 0; }));
  // Stopped, and at once a new export, before the first worker has had a
  // chance to see its stop.
  CloseDialog();
  Command(wxEVT_MENU, 5107);  // the ringtone
  ASSERT_TRUE(ExportEnded());
  EXPECT_TRUE(Tree(Folder("/Music")).empty());
  EXPECT_EQ(Tree(Folder("/Ringtones")),
            (std::map<std::string, std::string>{{"/Ring.m4r", kRing.content}}));
  EXPECT_EQ(g_messages.size(), 1u);
}

TEST_F(ExportTest, AFailingFileIsNamedAtTheEndAndTheOthersAreExported) {
  OptionData::data_.show_finished = false;
  Phone().Setting("FailingFiles", ArrayOf({plist_new_string(kSongB.path.c_str())}));
  StartAndDetect();
  Command(wxEVT_MENU, 5100);
  ASSERT_TRUE(ExportEnded());
  EXPECT_EQ(Tree(Folder("/Music")),
            (std::map<std::string, std::string>{{"/Song A.mp3", Summary(kSongA.content)},
                                                {"/Song C.mp3", Summary(kSongC.content)}}));
  // Told even with "show-finished" off, and without the question.
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0].first,
            "Exported 2 of 3 files.\n\nThese could not be exported:\n"
            "Song B: the device did not hand over the file");
  EXPECT_FALSE(g_messages[0].second & wxYES_NO);
  EXPECT_TRUE(g_opened.empty());
}

TEST_F(ExportTest, HostileTitlesAndGroupNamesWriteOnlyInsideTheExportFolder) {
  const std::vector<std::string> kNames = {
      "..", ".", "/etc/passwd", "a/../../b", "tab\there\nnew\x01line", std::string(300, 'x'),
      "../../../../../../tmp/escape"};
  DeviceImageBuilder& image = Phone();
  std::vector<plist_t> playlists;
  for (size_t i = 0; i < kNames.size(); ++i) {
    Media media{kNames[i], "/iTunes_Control/Music/F09/H" + std::to_string(i) + ".mp3",
                "hostile " + std::to_string(i)};
    image.File(media.path, media.content);
    playlists.push_back(Group("name", kNames[i], {Item(media)}));
  }
  image.List("Playlists", ArrayOf(playlists));
  StartAndDetect();
  Put(root_ + "/outside.txt", "outside");
  Put(Folder("/Playlists") + "/existing.mp3", "existing");
  const auto before = Tree(root_);

  Command(wxEVT_MENU, 5108);
  ASSERT_TRUE(ExportEnded());
  const auto after = Tree(root_);
  for (const auto& entry : before) EXPECT_EQ(after.at(entry.first), entry.second) << entry.first;
  int files = 0;
  for (const auto& entry : after) {
    if (before.count(entry.first)) continue;
    EXPECT_EQ(entry.first.rfind("/out/Playlists/", 0), 0u) << entry.first;
    const std::string name = entry.first.substr(entry.first.rfind('/', entry.first.size() - 2) + 1);
    EXPECT_LE(name.size(), 256u) << entry.first;
    if (entry.second.rfind("hostile ", 0) == 0) ++files;
  }
  EXPECT_EQ(files, static_cast<int>(kNames.size()));
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_TRUE(g_messages[0].first.StartsWith("Export finished!")) << g_messages[0].first;
}

TEST_F(ExportTest, ANameTakenJustBeforeTheCopyGetsTheNextFreeOne) {
  Phone();
  StartAndDetect();
  // Another program creates the chosen file between the free-name test and
  // the copy, once.
  DoExportDeviceFile::name_chosen_ = [](const wxString& target) {
    static bool done = false;
    if (!done) testsupport::WriteFile(target.utf8_string(), "theirs");
    done = true;
  };
  Command(wxEVT_MENU, 5107);
  ASSERT_TRUE(ExportEnded());
  EXPECT_EQ(Tree(Folder("/Ringtones")),
            (std::map<std::string, std::string>{{"/Ring.m4r", "theirs"},
                                                {"/Ring(1).m4r", kRing.content}}));
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_TRUE(g_messages[0].first.StartsWith("Export finished!"));
}

TEST_F(ExportTest, TheFolderOptions) {
  Phone();
  StartAndDetect();
  // The chooser cancelled: no dialog, nothing exported.
  OptionData::data_.select_folder = true;
  g_choose = false;
  Command(wxEVT_MENU, 5107);
  EXPECT_EQ(g_choices, 1);
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_EQ(DoExportDeviceFile::RunningCount(), 0);
  testsupport::RunLoopFor(100);
  EXPECT_TRUE(g_messages.empty());
  EXPECT_FALSE(Exists(Folder("/Ringtones") + "/Ring.m4r"));

  // A chosen folder, missing, with a backslash in its name: used as it is,
  // created with its parents, for this export only.
  g_choose = true;
  g_chosen = wxString::FromUTF8(root_) + "/chosen/a\\b";
  OptionData::data_.show_finished = false;
  Command(wxEVT_MENU, 5107);
  ASSERT_TRUE(ExportEnded());
  EXPECT_EQ(testsupport::ReadFile(root_ + "/chosen/a\\b/Ring.m4r"), kRing.content);
  EXPECT_TRUE(g_messages.empty());  // "show-finished" off: nothing shown
  EXPECT_EQ(OptionData::data_.ringtone_path, wxString::FromUTF8(Folder("/Ringtones")));

  // An empty folder option: the category's default folder, not the root.
  OptionData::data_.select_folder = false;
  OptionData::data_.ringtone_path.clear();
  Command(wxEVT_MENU, 5107);
  ASSERT_TRUE(ExportEnded());
  EXPECT_EQ(testsupport::ReadFile((ZLAppPath::GetDataDir() + "/Ringtones/Ring.m4r").utf8_string()),
            kRing.content);
}

TEST_F(ExportTest, OpenFolderCommandsOpenEachCategorysFolder) {
  Phone();
  StartAndDetect();
  OptionData::data_.music_path = wxString::FromUTF8(root_) + "/odd\\name";
  for (const CategoryInfo& category : kCategories) {
    SCOPED_TRACE(category.name);
    g_opened.clear();
    Command(wxEVT_MENU, category.open_folder_id);
    const wxString folder = OptionData::data_.*category.folder;
    EXPECT_EQ(g_opened, std::vector<wxString>{folder});
    EXPECT_TRUE(wxDirExists(folder));
  }
}

}  // namespace

// Not a test: saves screenshots of the progress dialog during an export and
// of the completion messages, for a person to look at.
//   PORTIVA_SHOTS=/tmp/shots export_tests --gtest_also_run_disabled_tests
//     --gtest_filter='*ExportScreenshots*'
TEST_F(ExportTest, DISABLED_ExportScreenshots) {
  const char* dir = getenv("PORTIVA_SHOTS");
  ASSERT_NE(dir, nullptr);
  auto shoot = [dir](const std::string& name) {
    testsupport::CaptureScreen(wxRect(0, 0, 1300, 800))
        .SaveFile(wxString::FromUTF8(std::string(dir) + "/" + name + ".png"), wxBITMAP_TYPE_PNG);
  };
  Phone().Setting("FailingFiles", ArrayOf({plist_new_string(kSongC.path.c_str())}));
  Slow(20000);
  StartAndDetect();
  frame_->SetPosition(wxPoint(0, 0));
  // The real message box, shot while it is up and then answered.
  ToolBar::message_box_ = [&shoot](const wxString& text, long style) {
    // The generic box, which can be ended from a timer; the program shows
    // the native one, of the same texts and buttons.
    wxGenericMessageDialog dialog(wxGetApp().frame_, text, wxEmptyString, style);
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
      shoot(g_messages.empty() ? "export-2-failures" : "export-3-finished");
      dialog.EndModal(wxID_NO);
    });
    timer.StartOnce(800);
    dialog.ShowModal();
    g_messages.push_back({text, style});
    return wxNO;
  };
  Command(wxEVT_MENU, 5100);
  ASSERT_TRUE(testsupport::RunLoopUntil([&] { return Dialog() && Dialog()->GetValue() > 3000; }));
  testsupport::RunLoopFor(1200);
  shoot("export-1-progress");
  ASSERT_TRUE(ExportEnded(30000));
  image_->Setting("FailingFiles", ArrayOf({}));
  image_->Setting("ThrottleBytesPerSecond", plist_new_uint(0));
  image_->Write();
  Command(wxEVT_MENU, 5107);
  ASSERT_TRUE(ExportEnded(30000));
}
