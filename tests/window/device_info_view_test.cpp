#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/stattext.h>

#include "device_image_fixture.h"
#include "test_support.h"
#include "window/base/zl_histogram_ctrl.h"
#include "window/device_info_view.h"

namespace {

using testsupport::Dict;

TEST(DeviceType, ClassifiedByCaseSensitiveSubstringInOrder) {
  const struct {
    const char* type;
    int expected;
  } cases[] = {
      {"iPad8,1", 0},          {"iPhone14,2", 1},   {"iPod touch", 2},
      {"ipad mini", 3},        {"Watch6,1", 3},     {"", 3},
      {"iPhone on iPad", 0},   {"iPod iPhone", 1},
  };
  for (const auto& c : cases) {
    plist_t info = Dict({{"Type", c.type}});
    EXPECT_EQ(DeviceInfoView::GetDeviceType(info), c.expected) << c.type;
    plist_free(info);
  }
  plist_t no_type = Dict({{"DeviceName", "x"}});
  EXPECT_EQ(DeviceInfoView::GetDeviceType(no_type), 3);
  EXPECT_EQ(DeviceInfoView::GetDeviceType(nullptr), 3);
  plist_free(no_type);
}

class DeviceInfoViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = new wxFrame(nullptr, wxID_ANY, "info", wxDefaultPosition, wxSize(900, 500));
    view_ = new DeviceInfoView(nullptr, frame_, wxID_ANY, wxDefaultPosition,
                               wxDefaultSize);
    frame_->Show();
  }
  void TearDown() override { frame_->Destroy(); }

  double Ratio(int i) { return view_->histogram()->ZLGetHistogramPartRatio(i); }
  wxString Label(wxStaticText* text) { return text->GetLabel(); }

  wxFrame* frame_;
  DeviceInfoView* view_;
};

TEST_F(DeviceInfoViewTest, FullDictionaryFillsEveryValueAndTheBar) {
  plist_t info = Dict({{"DeviceName", "Pad"}, {"Type", "iPad8,1"},
                       {"Version", "17.1"}, {"SerialNumber", "SN1"}},
                      {{"Catacity", 16000000000ULL}, {"Audio", 8000000000ULL},
                       {"Video", 4000000000ULL}, {"Photos", 0}, {"Others", 2000000000ULL},
                       {"Available", 2000000000ULL}});
  view_->UpdateDeviceInfo(info);
  EXPECT_EQ(view_->shown_device_type(), 0);
  EXPECT_EQ(Label(view_->name_value()), "Pad");
  EXPECT_EQ(Label(view_->type_value()), "iPad8,1");
  EXPECT_EQ(Label(view_->version_value()), "17.1");
  EXPECT_EQ(Label(view_->serial_value()), "SN1");
  EXPECT_EQ(Label(view_->capacity_value()), "14.90GB");
  EXPECT_EQ(Label(view_->capacity_text()), "14.90GB");
  EXPECT_DOUBLE_EQ(Ratio(0), 0.5);
  EXPECT_DOUBLE_EQ(Ratio(1), 0.25);
  EXPECT_DOUBLE_EQ(Ratio(2), 0.0);
  EXPECT_DOUBLE_EQ(Ratio(3), 0.125);
  EXPECT_DOUBLE_EQ(Ratio(4), 0.125);
  EXPECT_EQ(Label(view_->part_value(0)), "7.45GB");
  EXPECT_EQ(Label(view_->part_value(2)), "0KB");
  EXPECT_EQ(Label(view_->part_value(4)), "1.86GB");
  plist_free(info);
}

TEST_F(DeviceInfoViewTest, WithoutCapacityTheBarKeepsItsRatios) {
  plist_t first = Dict({{"Type", "iPhone"}},
                       {{"Catacity", 1000}, {"Audio", 500}, {"Available", 500}});
  view_->UpdateDeviceInfo(first);
  ASSERT_DOUBLE_EQ(Ratio(0), 0.5);
  plist_t second = Dict({{"Type", "iPod"}}, {{"Audio", 100}, {"Available", 50}});
  view_->UpdateDeviceInfo(second);
  EXPECT_EQ(Label(view_->capacity_value()), "unknown");
  EXPECT_EQ(Label(view_->capacity_text()), "unknown");
  EXPECT_DOUBLE_EQ(Ratio(0), 0.5);
  EXPECT_EQ(Label(view_->part_value(0)), "0.10KB");
  EXPECT_EQ(view_->shown_device_type(), 2);
  plist_free(first);
  plist_free(second);
}

TEST_F(DeviceInfoViewTest, WithoutAvailableThePartsShowAndTheCapacityIsUnknown) {
  plist_t info = Dict({}, {{"Catacity", 2048}, {"Audio", 1024}, {"Video", 512}});
  view_->UpdateDeviceInfo(info);
  EXPECT_DOUBLE_EQ(Ratio(0), 0.5);
  EXPECT_DOUBLE_EQ(Ratio(1), 0.25);
  EXPECT_EQ(Label(view_->part_value(1)), "0.50KB");
  EXPECT_EQ(Label(view_->capacity_value()), "unknown");
  EXPECT_EQ(Label(view_->capacity_text()), "unknown");
  plist_free(info);
}

TEST_F(DeviceInfoViewTest, NullOrWronglyShapedDictionaryNeverCrashes) {
  view_->UpdateDeviceInfo(nullptr);
  EXPECT_EQ(Label(view_->capacity_value()), "unknown");
  plist_t array = plist_new_array();
  view_->UpdateDeviceInfo(array);
  EXPECT_EQ(Label(view_->name_value()), "");
  EXPECT_EQ(Label(view_->capacity_text()), "unknown");
  plist_free(array);
  plist_t wrong = Dict({{"Catacity", "lots"}}, {{"DeviceName", 5}});
  view_->UpdateDeviceInfo(wrong);
  EXPECT_EQ(Label(view_->name_value()), "");
  EXPECT_EQ(Label(view_->capacity_text()), "unknown");
  plist_free(wrong);
}

}  // namespace
