#include <windows.h>

#include <string>

#include "Check.h"
#include "FakeDispatch.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/DispatchObject.h"
#include "platform/win32/WinPlatform.h"

namespace MorlaventMenu {
namespace WinTest {
namespace {

// A class of this test's own, registered while a case runs. (Wine reads classes from
// HKEY_CLASSES_ROOT only, not from the current user's.)
const wchar_t* const kProgId = L"Morlavent.PlatformTest.1";
const CLSID kClassId = {
    0x6a1f2c3e, 0x58d4, 0x4b71, {0x9e, 0x2a, 0x3c, 0x41, 0x7d, 0x90, 0x15, 0xb8}};
const wchar_t* const kClassIdText = L"{6A1F2C3E-58D4-4B71-9E2A-3C417D9015B8}";

struct RegisteredProgId {
  RegisteredProgId() {
    const std::wstring key = std::wstring(kProgId) + L"\\CLSID";
    const LSTATUS status =
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, kClassIdText,
                        static_cast<DWORD>((wcslen(kClassIdText) + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) Fail(__FILE__, __LINE__, "cannot register the test class");
  }
  ~RegisteredProgId() { RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId); }
};

FakeDispatch* MakeApplication() {
  FakeDispatch* app = new FakeDispatch;
  app->AddMember(L"Caption", 8, [](DISPPARAMS&, VARIANT* result, EXCEPINFO*) {
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocString(L"AutoCAD");
    return S_OK;
  });
  return app;
}

void CheckApplication(const AutomationValue& result, FakeDispatch* app) {
  ObjectRef object;
  CHECK(result.ToObject(object));
  if (!object) return;
  CHECK_EQ(static_cast<const DispatchObject&>(*object).Kind(), L"Application");
  AutomationArgs args;
  AutomationValue caption;
  AutomationError error;
  CHECK(object->Invoke(L"Caption", CallKind::Get, args, caption, error));
  CHECK_EQ(caption.RawText(), L"AutoCAD");
  CHECK_EQ(app->invokes, 1);
}

void CheckFailure(bool succeeded, const AutomationValue& result, const AutomationError& error,
                  int32_t number) {
  CHECK(!succeeded);
  CHECK(result.IsEmpty());
  CHECK_EQ(error.Number, number);
  CHECK_EQ(error.Description, SystemText(number));
  CHECK_EQ(error.Source, L"Morlavent CAD");
}

WIN_TEST(AnUnregisteredClassCannotBeReached) {
  WinPlatform platform;
  AutomationValue result;
  AutomationError error;
  CheckFailure(platform.AttachRunning(L"Morlavent.NoSuchClass.1", result, error), result, error,
               kClassString);
  error.Clear();
  CheckFailure(platform.CreateInstance(L"Morlavent.NoSuchClass.1", result, error), result, error,
               kClassString);
}

WIN_TEST(AttachingWhenNothingRunsFails) {
  RegisteredProgId registered;
  WinPlatform platform;
  AutomationValue result;
  AutomationError error;
  CheckFailure(platform.AttachRunning(kProgId, result, error), result, error, kUnavailable);
}

WIN_TEST(AttachingFindsTheRunningInstance) {
  RegisteredProgId registered;
  FakeDispatch* app = MakeApplication();
  DWORD cookie = 0;
  CHECK_EQ(RegisterActiveObject(app, kClassId, ACTIVEOBJECT_STRONG, &cookie), S_OK);
  {
    WinPlatform platform;
    AutomationValue result;
    AutomationError error;
    CHECK(platform.AttachRunning(kProgId, result, error));
    CHECK_EQ(error.Number, 0);
    CheckApplication(result, app);
  }
  RevokeActiveObject(cookie, nullptr);
  CHECK_EQ(app->References(), 1u);
  app->Release();
}

// Hands out the one application object, as a server's class object would.
class ApplicationFactory : public IClassFactory {
 public:
  explicit ApplicationFactory(FakeDispatch* app) : app_(app) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** object) override {
    return app_->QueryInterface(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  FakeDispatch* app_;
};

WIN_TEST(CreatingStartsAnInstanceOfTheClass) {
  RegisteredProgId registered;
  FakeDispatch* app = MakeApplication();
  ApplicationFactory factory(app);
  DWORD cookie = 0;
  CHECK_EQ(
      CoRegisterClassObject(kClassId, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie),
      S_OK);
  {
    WinPlatform platform;
    AutomationValue result;
    AutomationError error;
    CHECK(platform.CreateInstance(kProgId, result, error));
    CHECK_EQ(error.Number, 0);
    CheckApplication(result, app);
  }
  CoRevokeClassObject(cookie);
  CHECK_EQ(app->References(), 1u);
  app->Release();
}

std::wstring ThisFolder() {
  wchar_t path[4096];
  const DWORD length = GetModuleFileNameW(nullptr, path, 4096);
  std::wstring text(path, length);
  return text.substr(0, text.rfind(L'\\'));
}

// Copies the folder probe into `folder` under `name`, runs it there and returns what it
// found; "(failed)" when it could not be run.
std::wstring FolderSeenFrom(const std::wstring& folder, const wchar_t* name) {
  const std::wstring probe = folder + L"\\" + name;
  const std::wstring answer = ThisFolder() + L"\\folder-answer.txt";
  DeleteFileW(answer.c_str());
  if (!CopyFileW((L"\\\\?\\" + ThisFolder() + L"\\folder_probe.exe").c_str(),
                 (L"\\\\?\\" + probe).c_str(), FALSE)) {
    return L"(failed: copy)";
  }
  std::wstring command = L"\"" + probe + L"\" \"" + answer + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring seen = L"(failed: start)";
  if (CreateProcessW(probe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    DWORD status = 1;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &status);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    seen = L"(failed: run)";
    HANDLE file = CreateFileW(answer.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (status == 0 && file != INVALID_HANDLE_VALUE) {
      wchar_t buffer[8192];
      DWORD read = 0;
      if (ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
        seen.assign(buffer, read / sizeof(wchar_t));
      }
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  } else {
    seen += std::to_wstring(GetLastError());
  }
  DeleteFileW((L"\\\\?\\" + probe).c_str());
  DeleteFileW(answer.c_str());
  return seen;
}

WIN_TEST(TheExecutableFolderHasNoTrailingSeparator) {
  CHECK_EQ(FolderSeenFrom(ThisFolder(), L"probe.exe"), ThisFolder());
  // A drive's root folder gives the drive alone.
  CHECK_EQ(FolderSeenFrom(L"C:", L"morlavent-folder-probe.exe"), L"C:");
}

// Letters beyond ASCII in the folder and the file name. (A folder longer than MAX_PATH is
// checked by run-under-wine.sh: Wine's CreateProcessW does not start programs there.)
WIN_TEST(TheExecutableFolderMayHoldLettersBeyondAscii) {
  const std::wstring folder = ThisFolder() +
                              L"\\Dise\x00F1"
                              L"o a\x00F1"
                              L"adido \x20AC \x65E5\x672C";
  CHECK(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  CHECK_EQ(FolderSeenFrom(folder, L"launcher probe \x00E9.exe"), folder);
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace WinTest
}  // namespace MorlaventMenu
