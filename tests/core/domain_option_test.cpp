#include <gtest/gtest.h>
#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include <string>

#include "app/zl_app_path.h"
#include "settings/domain_option.h"
#include "test_support.h"

namespace {

std::string AddressFile(const std::string& inner) {
  const std::string path = testsupport::MakeTempDir("addresses") + "/option.cfg";
  testsupport::WriteFile(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config>\n  <urls>\n" +
                                   inner + "  </urls>\n</config>\n");
  return path;
}

const char kSix[] =
    "<a>help</a><b>home</b><c>support</c><d>register</d><e>https://u.example/p</e><f>product</f>";

TEST(AddressFile, AddressesAreReadByTheirPosition) {
  const struct {
    const char* name;
    std::string inner;
    bool whole;
    const char* help;
    const char* support;
    const char* update;
    const char* product;
  } kCases[] = {
      {"six", kSix, true, "help", "support", "https://u.example/p-update.xml", "product"},
      {"other names", "<x>1</x><x>2</x><x>3</x><x>4</x><x>5</x><x>6</x><x>7</x>", true, "1", "3",
       "5-update.xml", "6"},
      // A comment takes a position of its own.
      {"comment", "<a>help</a><!-- note --><c>home</c><d>support</d><e>register</e><f>update</f>",
       true, "help", "home", "register-update.xml", "update"},
      {"five", "<a>1</a><b>2</b><c>3</c><d>4</d><e>5</e>", false, "1", "3", "5-update.xml", ""},
      {"empty fifth", "<a>1</a><b>2</b><c>3</c><d>4</d><e></e><f>6</f>", true, "1", "3",
       "-update.xml", "6"},
      {"two", "<a>1</a><b>2</b>", false, "1", "", "", ""},
      {"none", "", false, "", "", "", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    DomainOption addresses(wxString::FromUTF8(AddressFile(c.inner)));
    EXPECT_EQ(addresses.init(), c.whole);
    EXPECT_EQ(addresses.help_url(), c.help);
    EXPECT_EQ(addresses.support_url(), c.support);
    EXPECT_EQ(addresses.update_url(), c.update);
    EXPECT_EQ(addresses.product_url(), c.product);
  }
  // Missing, or not XML: nothing is read.
  const std::string broken = testsupport::MakeTempDir("addresses") + "/option.cfg";
  testsupport::WriteFile(broken, "<config><urls><a>help</a>");
  for (const std::string& path : {broken, std::string("/nonexistent/option.cfg")}) {
    DomainOption addresses(wxString::FromUTF8(path));
    EXPECT_FALSE(addresses.CheckIntegrity());
    EXPECT_EQ(addresses.help_url(), "");
    EXPECT_EQ(addresses.update_url(), "");
  }
}

TEST(AddressFile, TheShippedFileNamesEveryPage) {
  DomainOption addresses(ZLAppPath::GetUrlFilePath());
  EXPECT_TRUE(addresses.init());
  EXPECT_TRUE(addresses.help_url().StartsWith("https://"));
  EXPECT_TRUE(addresses.update_url().EndsWith("-update.xml"));
  EXPECT_FALSE(addresses.product_url().empty());
}

wxString Published(const std::string& xml) {
  wxStringInputStream in(wxString::FromUTF8(xml));
  wxXmlDocument document;
  if (!document.Load(in, "UTF-8")) return "not xml";
  return GetVersionNo(&document, "Portiva");
}

TEST(UpdateDocument, TheVersionFollowsTheProductsNameAmongAnElementsAttributes) {
  const struct {
    const char* name;
    std::string xml;
    const char* version;
  } kCases[] = {
      {"first pair", "<r><p n=\"Portiva\" v=\"3.7.0\"/></r>", "3.7.0"},
      {"names do not count", "<r><p zz=\"Portiva\" aa=\"4.0\"/></r>", "4.0"},
      {"later pair", "<r><p a=\"x\" b=\"Portiva\" c=\"3.8\"/></r>", "3.8"},
      {"matching attribute last", "<r><p v=\"3.7.0\" n=\"Portiva\"/></r>", ""},
      {"two elements: the later wins", "<r><p n=\"Portiva\" v=\"1.0\"/><q n=\"Portiva\" v=\"2.0\"/></r>",
       "2.0"},
      {"only the first match of an element", "<r><p n=\"Portiva\" v=\"Portiva\" w=\"9\"/></r>",
       "Portiva"},
      {"case counts", "<r><p n=\"portiva\" v=\"3.9\"/></r>", ""},
      {"another product", "<r><p n=\"Other\" v=\"3.9\"/></r>", ""},
      {"the root itself is not looked at", "<r n=\"Portiva\" v=\"5\"/>", ""},
      {"nested elements are not looked at", "<r><g><p n=\"Portiva\" v=\"6\"/></g></r>", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Published(c.xml), c.version);
  }
}

TEST(UpdateDocument, VersionsCompareNumberByNumber) {
  EXPECT_EQ(ProductVersion::GetVersion(), "3.6.116");
  const struct {
    const char* a;
    const char* b;
    int sign;
  } kCases[] = {
      {"3.6.116", "3.6.116", 0}, {"3.6.116", "3.6.117", -1}, {"3.6.116", "3.7", -1},
      {"3.6.116", "3.6.20", 1},  // numbers, not texts
      {"3.6.116", "10.0.0", -1}, {"3.6", "3.6.0", 0},        {"3.6.116", "3.6.116.1", -1},
      {"3.6.116", "", 1},        {"3.6.116", "x.y", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.a) + " " + c.b);
    const int result = ProductVersion::CompareVersion(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign);
  }
}

}  // namespace
