// The update check against a small HTTP server of the test's own on
// 127.0.0.1, through the real worker and the main window's reports.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wx/filefn.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/transfer_app.h"
#include "app/zl_app_path.h"
#include "common/domain_face.h"
#include "export/tool_bar.h"
#include "main_window.h"
#include "settings/domain_option.h"
#include "test_support.h"
#include "window/left_pane.h"
#include "window/transfer_frame.h"

namespace {

void IgnoreWarning(const wxString&) {}

// Answers every connection with one canned response, or, when silent,
// takes it and never answers. Stops by itself when destroyed.
class LocalServer {
 public:
  LocalServer(std::string response, bool silent) : response_(std::move(response)), silent_(silent) {
    listen_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listen_, 4);
    socklen_t length = sizeof address;
    getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LocalServer() {
    stop_ = true;
    thread_.join();
    close(listen_);
  }
  int port() const { return port_; }
  int requests() const { return requests_; }

 private:
  void Serve() {
    std::vector<int> held;
    while (!stop_) {
      pollfd ready = {listen_, POLLIN, 0};
      if (poll(&ready, 1, 50) <= 0) continue;
      const int client = accept(listen_, nullptr, nullptr);
      if (client < 0) continue;
      ++requests_;
      // The request's head, as far as it comes within a second.
      std::string request;
      char buffer[4096];
      for (int waited = 0; request.find("\r\n\r\n") == std::string::npos && waited < 20; ++waited) {
        pollfd in = {client, POLLIN, 0};
        if (poll(&in, 1, 50) <= 0) continue;
        const ssize_t n = read(client, buffer, sizeof buffer);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      if (silent_) {
        held.push_back(client);
        continue;
      }
      ssize_t ignored = write(client, response_.data(), response_.size());
      (void)ignored;
      close(client);
    }
    for (int client : held) close(client);
  }

  std::string response_;
  bool silent_;
  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

std::string Http(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Type: text/xml\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::string Document(const std::string& elements) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><products>" + elements + "</products>";
}

// An address file whose fifth address is the update stem.
std::string AddressFile(const std::string& update) {
  const std::string path = testsupport::MakeTempDir("update") + "/option.cfg";
  testsupport::WriteFile(path, "<config><urls><a>h</a><b>-</b><c>s</c><d>-</d><e>" + update +
                                   "</e><f>https://product.example/</f></urls></config>");
  return path;
}

struct Report {
  wxString text;
  long style;
};

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LeftPane::show_warning_ = IgnoreWarning;
    DomainFace::LoadFace(wxString::FromUTF8(testsupport::BuildRoot()) + "/Themes/face.xml");
    reports_.clear();
    opened_.clear();
    TransferFrame::message_box_ = [this](const wxString& text, const wxString& caption, long style) {
      EXPECT_EQ(caption, "Portiva");
      reports_.push_back({text, style});
      return answer_;
    };
    ToolBar::open_page_ = [this](const wxString& page) { opened_.push_back(page); };
    // The reports are read in English.
    if (wxFileExists(ZLAppPath::GetLanguageFilePath())) wxRemoveFile(ZLAppPath::GetLanguageFilePath());
    ASSERT_TRUE(testsupport::StartMainWindow(&frame_, wxSize(900, 600)));
  }
  void TearDown() override {
    TransferFrame::message_box_ = nullptr;
    ToolBar::open_page_ = nullptr;
    DomainOption::update_time_limit_ = 10;
    frame_->Destroy();
    testsupport::RunLoopUntil([] { return wxGetApp().frame_ == nullptr; });
  }

  // Runs a check against the address and waits for its report.
  bool Check(const std::string& update, int timeout_ms = 15000) {
    DomainOption(wxString::FromUTF8(AddressFile(update))).StartCheckVersionNoForUpdate();
    return testsupport::RunLoopUntil([&] { return !reports_.empty(); }, timeout_ms);
  }

  TransferFrame* frame_ = nullptr;
  std::vector<Report> reports_;
  std::vector<wxString> opened_;
  int answer_ = wxNO;
};

const char kLatest[] = "This version of Portiva(3.6.116) is the latest version.";
const char kFailed[] = "Update failed!Please check if the network is available.";

TEST_F(UpdateCheckTest, TheThreeReportsFromTheServersDocument) {
  const wxString newer =
      "A new version of Portiva(3.7.0) is available. Click Yes to open download page.";
  const struct {
    const char* name;
    std::string response;
    wxString report;
  } kCases[] = {
      {"equal", Http("200 OK", Document("<p name=\"Portiva\" version=\"3.6.116\"/>")), kLatest},
      {"older", Http("200 OK", Document("<p name=\"Portiva\" version=\"3.5.9\"/>")), kLatest},
      {"newer", Http("200 OK", Document("<p name=\"Portiva\" version=\"3.7.0\"/>")), newer},
      {"matching attribute last", Http("200 OK", Document("<p v=\"3.7.0\" n=\"Portiva\"/>")),
       kFailed},
      {"two matches: the later", Http("200 OK", Document("<p n=\"Portiva\" v=\"9.0\"/>"
                                                         "<q n=\"Portiva\" v=\"3.7.0\"/>")),
       newer},
      {"not XML", Http("200 OK", "Portiva 3.7.0"), kFailed},
      {"not found", Http("404 Not Found", Document("<p n=\"Portiva\" v=\"3.7.0\"/>")), kFailed},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    reports_.clear();
    LocalServer server(c.response, false);
    ASSERT_TRUE(Check("http://127.0.0.1:" + std::to_string(server.port()) + "/portiva"));
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].text, c.report);
    EXPECT_EQ(server.requests(), 1);
    EXPECT_EQ((reports_[0].style & wxYES_NO) == wxYES_NO, c.report == newer);
  }
  EXPECT_TRUE(opened_.empty());  // answered No

  // Yes opens the product page of the program's own address file.
  answer_ = wxYES;
  reports_.clear();
  LocalServer server(Http("200 OK", Document("<p n=\"Portiva\" v=\"4.0\"/>")), false);
  ASSERT_TRUE(Check("http://127.0.0.1:" + std::to_string(server.port()) + "/portiva"));
  EXPECT_EQ(opened_,
            std::vector<wxString>{DomainOption(ZLAppPath::GetUrlFilePath()).product_url()});
}

TEST_F(UpdateCheckTest, AnEmptyAddressFailsWithoutARequest) {
  LocalServer server(Http("200 OK", Document("<p n=\"Portiva\" v=\"4.0\"/>")), false);
  ASSERT_TRUE(Check(""));
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].text, kFailed);
  EXPECT_EQ(server.requests(), 0);
}

TEST_F(UpdateCheckTest, ASilentServerFailsWithinTheTimeLimitAndTheWindowKeepsResponding) {
  DomainOption::update_time_limit_ = 2;
  LocalServer server("", true);
  // A timer on the GUI thread measures how long the window went unserved.
  wxTimer tick;
  wxStopWatch since;
  long longest = 0;
  tick.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    longest = std::max(longest, since.Time());
    since.Start();
  });
  tick.Start(20);
  wxStopWatch clock;
  ASSERT_TRUE(Check("http://127.0.0.1:" + std::to_string(server.port()) + "/portiva", 8000));
  const long took = clock.Time();
  tick.Stop();
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].text, kFailed);
  EXPECT_GE(took, 1800);
  EXPECT_LT(took, 6000);
  EXPECT_LT(longest, 1000);
}

}  // namespace
