// The navigation pane's share of the picture views: filling the thumbnail
// views and answering the thumbnail loaders.
#include <wx/bitmap.h>

#include "app/app_data.h"
#include "app/trace.h"
#include "app/transfer_app.h"
#include "common/image_util.h"
#include "device/device_record.h"
#include "export/tool_bar.h"
#include "window/device_content_view.h"
#include "window/do_load_picture.h"
#include "window/left_pane.h"
#include "window/picture_icon_view.h"
#include "window/right_pane.h"

void (*LeftPane::picture_shown_)(const PictureCategory&, long, bool) = nullptr;

// The thumbnail views may outlive the pane as the frame goes: they must not
// keep pointers to the data it frees.
LeftPane::~LeftPane() {
  for (const PictureCategory* category : {&kCameraRollPictures, &kPhotoPictures})
    if (PictureIconView* view = IconView(*category)) view->DeleteAllItems();
}

void LeftPane::FillWithPictureList(
    PictureIconView* view, plist_t node,
    std::vector<std::unique_ptr<PictureIconViewData>>* data) {
  if (!view || !data) return;
  view->SetPlaceholder(ImageUtil::GetBitmapResource(
      "image/client/picture-view/unload_picture.png", wxBITMAP_TYPE_PNG));
  plist_t items = record::Items(node);
  const uint32_t count = record::ArraySize(items);
  std::vector<PictureIconViewData*> added;
  added.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    plist_t picture = record::ArrayItem(items, i);
    if (plist_get_node_type(picture) != PLIST_DICT) continue;
    std::unique_ptr<PictureIconViewData> item(new PictureIconViewData);
    item->image_index = static_cast<int32_t>(data->size());
    item->size = record::UInt(picture, "size");
    item->path = record::String(picture, "path");
    item->name = record::PictureName(item->path);
    added.push_back(item.get());
    data->push_back(std::move(item));
  }
  view->AppendItems(added);
}

bool LeftPane::IsAllPictureShow(PictureIconView* view) {
  return GetFirstInvisibleItem(view, 0) == -1;
}

long LeftPane::GetFirstInvisibleItem(PictureIconView* view, long start, bool dropped_too) {
  if (!view || start < 0) return -1;
  const long count = view->GetItemCount();
  for (long item = start; item < count; ++item) {
    const PictureIconViewData* data = view->GetItemData(item);
    if (data && !data->shown && (dropped_too || !data->dropped)) return item;
  }
  return -1;
}

PictureIconView* LeftPane::IconView(const PictureCategory& category) const {
  TransferApp& app = wxGetApp();
  return &category == &kCameraRollPictures ? app.camera_roll_icon_view_
                                           : app.photo_icon_view_;
}

void LeftPane::OnGetLoadCameraRollPictureInfo(wxThreadEvent& event) {
  OnGetLoadPictureInfo(kCameraRollPictures, event);
}

void LeftPane::OnGetLoadPhotoPictureInfo(wxThreadEvent& event) {
  OnGetLoadPictureInfo(kPhotoPictures, event);
}

void LeftPane::OnUpdateCameraRollIconView(wxThreadEvent& event) {
  OnUpdatePictureIconView(kCameraRollPictures, event);
}

void LeftPane::OnUpdatePhotoIconView(wxThreadEvent& event) {
  OnUpdatePictureIconView(kPhotoPictures, event);
}

void LeftPane::OnGetLoadPictureInfo(const PictureCategory& category,
                                    wxThreadEvent& event) {
  // Answers the worker on every path when it goes out of scope.
  HandshakeReply reply(category.begin_lock, category.begin_cond, event,
                       HandshakeReply::kUnlockThenSignal);
  LoadPictureInfo* info = event.GetPayload<LoadPictureInfo*>();
  if (!info) return;
  {
    wxMutexLocker lock(category.count_lock);
    if (category.count != info->generation) return;
  }
  TransferApp& app = wxGetApp();
  PictureIconView* view = IconView(category);
  DeviceContentView* content = app.device_content_view_;
  if (!view || !app.right_pane_ || !content) return;
  if (IsAllPictureShow(view)) {
    info->all_shown = true;
    return;
  }
  info->all_shown = false;

  // While the thumbnails are on screen, the ones in view come first.
  long chosen = -1;
  if (app.right_pane_->ZLIsShown(kDeviceContentView) &&
      content->ZLIsShown(category.content_view)) {
    const wxSize spacing = view->GetItemSpacing();
    int flags = 0;
    long top = view->HitTest(wxPoint(spacing.x - 67, 5), flags);
    if (top < 0) top = view->HitTest(wxPoint(spacing.x - 67, spacing.y - 85), flags);
    if (top < 0) top = view->GetTopItem();
    // A dropped thumbnail is made again only where it can be seen: one out
    // of view would be dropped again at once.
    long first = 0, end = 0;
    view->GetVisibleRange(&first, &end);
    chosen = GetFirstInvisibleItem(view, top);
    if (chosen >= end) chosen = GetFirstInvisibleItem(view, top, false);
  }
  // Then the rest in order; dropped thumbnails only come back into view.
  if (chosen < 0) chosen = GetFirstInvisibleItem(view, 0, false);
  if (chosen < 0) {
    info->no_more = true;
    return;
  }
  const PictureIconViewData* data = view->GetItemData(chosen);
  info->no_more = false;
  info->index = static_cast<int32_t>(chosen);
  info->path = data->path;
  info->reuse_cached = data->cached;
}

void LeftPane::OnUpdatePictureIconView(const PictureCategory& category,
                                       wxThreadEvent& event) {
  HandshakeReply reply(category.end_lock, category.end_cond, event,
                       HandshakeReply::kUnlockThenSignal);
  LoadPictureInfo* info = event.GetPayload<LoadPictureInfo*>();
  if (!info) return;
  {
    wxMutexLocker lock(category.count_lock);
    if (category.count != info->generation) return;
  }
  PictureIconView* view = IconView(category);
  if (!view) return;
  PictureIconViewData* data = view->GetItemData(info->index);
  if (!data) return;
  // A failed picture keeps the placeholder and is not tried again.
  data->shown = true;
  data->dropped = false;
  if (info->loaded && info->image) {
    data->cached = true;
    view->SetItemThumbnail(info->index, wxBitmap(*info->image));
  }
  if (picture_shown_) picture_shown_(category, info->index, info->loaded);
}
