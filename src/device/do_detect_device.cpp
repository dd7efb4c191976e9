#include "device/do_detect_device.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include <malloc.h>

#include <cstdlib>

#include "app/app_data.h"
#include "app/category_table.h"
#include "app/my_event.h"
#include "app/transfer_app.h"
#include "app/trace.h"
#include "app/zl_app_path.h"
#include "device/communication.h"
#include "device/device_record.h"

namespace {

void AppendFirst(wxString* message, const char* text) {
  if (message && message->empty()) *message = text;
}

void FreeNodes(DeviceContext* context) {
  if (context->info) plist_free(context->info);
  context->info = nullptr;
  for (const CategoryInfo& category : kCategories) {
    if (context->*category.list_field) plist_free(context->*category.list_field);
    context->*category.list_field = nullptr;
  }
}

}  // namespace

wxString SafeDirectoryName(const wxString& id) {
  wxScopedCharBuffer utf8 = id.utf8_str();
  wxString name;
  for (size_t i = 0; i < utf8.length(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8.data()[i]);
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                 (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
    if (plain)
      name += wxUniChar(c);
    else
      name += wxString::Format("%%%02X", c);
  }
  // A bare "%" cannot come out of the escaping above, nor can "%2E".
  if (name.empty()) return "%";
  if (name == ".") return "%2E";
  if (name == "..") return "%2E%2E";
  // The program's own files beside the device directories ("options",
  // "language.txt") get their first letter escaped, which no other
  // identifier produces.
  if (ZLAppPath::IsOwnTemporaryEntry(name))
    return wxString::Format("%%%02X", static_cast<unsigned>(name[0].GetValue())) +
           name.Mid(1);
  return name;
}

int DoInitDevice(DeviceContext* context, wxString* message) {
  if (context->type == "path") return POD_STATUS_OK;

  wxString work_dir =
      ZLAppPath::GetTemporaryDir() + "/" + SafeDirectoryName(context->id);
  if (wxDirExists(work_dir)) wxFileName::Rmdir(work_dir, wxPATH_RMDIR_RECURSIVE);
  else if (wxFileExists(work_dir)) wxRemoveFile(work_dir);
  wxMkdir(work_dir, 0777);
  wxString database_dir = work_dir + "/database";
  wxMkdir(database_dir, 0777);
  Trace("......Init dir: " + database_dir);

  int status = context->device
                   ? context->device->Init(database_dir.utf8_str())
                   : POD_STATUS_FAILED;
  switch (status) {
    case POD_STATUS_OK:
      return POD_STATUS_OK;
    case POD_STATUS_NO_DEVICE:
      AppendFirst(message, "No device detected, try to connect it.");
      context->valid = false;
      return POD_STATUS_NO_DEVICE;
    case POD_STATUS_PASSCODE_LOCKED:
      AppendFirst(message, "Device is protected by passcode,unlock it first.");
      context->valid = false;
      return POD_STATUS_PASSCODE_LOCKED;
    default:
      AppendFirst(message, "Device connect failed.");
      context->valid = false;
      return POD_STATUS_FAILED;
  }
}

void OpenDeviceEntry(plist_t entry, DeviceContext* context, wxString* message) {
  wxString value, type;
  const record::TextState value_state =
      record::ReadText(record::Get(entry, "value"), &value);
  const record::TextState type_state =
      record::ReadText(record::Get(entry, "type"), &type);
  Trace("id_str: " + value);
  Trace("type_str: " + type);
  context->id = value;
  context->type = type;
  // Both go back to the library and the identifier names directories, so
  // they must come back byte for byte: a NUL or bad UTF-8 in either makes
  // the device one that cannot be opened.
  auto unusable = [](record::TextState state) {
    return state == record::TextState::kDamaged ||
           state == record::TextState::kReplaced;
  };
  if (unusable(value_state) || unusable(type_state)) {
    context->device = nullptr;
    context->valid = false;
    AppendFirst(message, "Device connect failed.");
    return;
  }
  context->device = DeviceService(AppData::device_service_)
                        .CreateDevice(value.utf8_str(), type.utf8_str());
  context->valid = true;
  if (DoInitDevice(context, message) != POD_STATUS_OK) return;
  if (!context->device) {
    // No handle means nothing to read from; treat it like a failed opening.
    AppendFirst(message, "Device connect failed.");
    context->valid = false;
    return;
  }

  context->info = context->device->GetInfo();
  // A damaged name (a NUL inside) counts as no name.
  wxString name;
  const bool named =
      record::Has(context->info, "DeviceName") &&
      record::ReadText(record::Get(context->info, "DeviceName"), &name) !=
          record::TextState::kDamaged;
  context->name = named ? name : wxGetTranslation("Unknown Device");
  for (const CategoryInfo& category : kCategories)
    context->*category.list_field = context->device->GetList(category.code);
}

wxString DetectDevices() {
  BumpPictureGenerations();

  wxString warning;
  wxMutexLocker lock(AppData::current_device_list_lock_);
  CurrentDeviceList& list = AppData::current_device_list_;
  DeviceService service(AppData::device_service_);
  for (int i = 0; i < list.device_count; ++i) {
    DeviceContext& context = list.device_contexts[i];
    service.FreeDevice(context.device);
    context.device = nullptr;
    // Invalid records never got nodes; freeing them anyway is harmless and
    // keeps a half-filled record from leaking.
    FreeNodes(&context);
  }
  // The old lists were built by an earlier worker thread, in whatever
  // allocator arena it had. This worker may have another one, and then
  // their freed memory would stay resident beside the new lists.
  if (list.device_count > 0) malloc_trim(0);
  list.device_count = 0;
  list.current_index = 0;

  plist_t entries = service.GetDeviceList();
  uint32_t count = record::ArraySize(entries);
  // The table holds ten devices; later entries are left out.
  if (count > static_cast<uint32_t>(kMaxDeviceCount)) count = kMaxDeviceCount;
  list.device_count = static_cast<int>(count);
  for (uint32_t i = 0; i < count; ++i) {
    DeviceContext& context = list.device_contexts[i];
    context.valid = false;
    context.name.clear();
    OpenDeviceEntry(record::ArrayItem(entries, i), &context, &warning);
  }
  if (entries) plist_free(entries);
  return warning;
}

wxThread::ExitCode DoDetectDevice::Entry() {
  Trace("Entry DoDetectDevice::Entry()");
  wxString warning = DetectDevices();
  // Without the pane (not made yet, or gone) the report is dropped.
  wxThreadEvent* done =
      new wxThreadEvent(wxEVT_THREAD, kThreadDetectDeviceCompleted);
  done->SetString(warning);
  wxGetApp().left_pane_.Queue(done);
  Trace("Leave DoDetectDevice::Entry()");
  return 0;
}
