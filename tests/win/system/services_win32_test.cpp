// The service rules against Wine's real service control manager, with a real service.
#include <windows.h>

#include <gtest/gtest.h>

#include "system/mod_services.h"
#include "system/text_encoding.h"
#include "system/win32/win32_services.h"
#include "tests/win/system/beside_test.h"

namespace kelvano::test {
namespace {

// The real seam, counting the handles it hands out and gets back.
class CountingServices : public Win32Services {
 public:
  long OpenManager(const std::string& machine, const std::string& database, std::uint32_t access,
                   ServiceHandle& manager) override {
    const long status = Win32Services::OpenManager(machine, database, access, manager);
    if (status == 0) ++open;
    return status;
  }
  long OpenNamedService(ServiceHandle manager, const std::string& name, std::uint32_t access,
                        ServiceHandle& service) override {
    const long status = Win32Services::OpenNamedService(manager, name, access, service);
    if (status == 0) ++open;
    return status;
  }
  long Close(ServiceHandle handle) override {
    const long status = Win32Services::Close(handle);
    if (status == 0) --open;
    return status;
  }
  int open = 0;
};

// A service registered for one test and removed afterwards, stopped first if it runs.
class RegisteredService {
 public:
  RegisteredService(const std::wstring& name, const std::wstring& commandLine) : name_(name) {
    manager_ = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager_ == nullptr) return;
    service_ = CreateServiceW(manager_, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                              SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, commandLine.c_str(), nullptr, nullptr,
                              nullptr, nullptr, nullptr);
  }
  ~RegisteredService() {
    if (service_ != nullptr) {
      SERVICE_STATUS status = {};
      if (ControlService(service_, SERVICE_CONTROL_STOP, &status)) {
        for (int i = 0; i < 100 && QueryServiceStatus(service_, &status) && status.dwCurrentState != SERVICE_STOPPED;
             ++i) {
          Sleep(50);
        }
      }
      DeleteService(service_);
      CloseServiceHandle(service_);
    }
    if (manager_ != nullptr) CloseServiceHandle(manager_);
  }
  RegisteredService(const RegisteredService&) = delete;
  RegisteredService& operator=(const RegisteredService&) = delete;

  bool Created() const { return service_ != nullptr; }
  std::string Name() const { return Narrow(name_); }

 private:
  std::wstring name_;
  SC_HANDLE manager_ = nullptr;
  SC_HANDLE service_ = nullptr;
};

std::wstring ServiceCommandLine(int startDelayMs) {
  return L"\"" + Widen(BesideTest("kelvano_test_service.exe")) + L"\" " + std::to_wstring(startDelayMs);
}

std::wstring UniqueName(const std::wstring& stem) { return stem + std::to_wstring(GetCurrentProcessId()); }

ServiceState WaitWhileStarting(ModServices& services, const std::string& name) {
  ServiceState state = services.GetServiceStatus(name, "");
  for (int i = 0; i < 200 && state == ServiceState::Starting; ++i) {
    Sleep(50);
    state = services.GetServiceStatus(name, "");
  }
  return state;
}

TEST(WineServices, RealServiceIsStoppedThenStartedThenRunningAndASecondStartIsRefused) {
  RegisteredService registered(UniqueName(L"KelvanoTestService"), ServiceCommandLine(300));
  ASSERT_TRUE(registered.Created()) << GetLastError();
  CountingServices seam;
  ModServices services(seam);

  EXPECT_EQ(services.GetServiceStatus(registered.Name(), ""), ServiceState::Stopped);
  ASSERT_TRUE(services.StartServiceByName(registered.Name(), ""));
  const ServiceState afterStart = services.GetServiceStatus(registered.Name(), "");
  EXPECT_TRUE(afterStart == ServiceState::Starting || afterStart == ServiceState::Running)
      << static_cast<int>(afterStart);
  EXPECT_EQ(WaitWhileStarting(services, registered.Name()), ServiceState::Running);
  EXPECT_FALSE(services.StartServiceByName(registered.Name(), "")) << "Windows refuses to start it twice";
  EXPECT_EQ(services.GetServiceStatus(registered.Name(), ""), ServiceState::Running);
  EXPECT_EQ(seam.open, 0) << "a service handle was left open";
}

TEST(WineServices, NamesAreMatchedWithoutRegardToCase) {
  RegisteredService registered(UniqueName(L"KelvanoCase"), ServiceCommandLine(0));
  ASSERT_TRUE(registered.Created()) << GetLastError();
  CountingServices seam;
  EXPECT_EQ(ModServices(seam).GetServiceStatus(AsciiLower(registered.Name()), ""), ServiceState::Stopped);
}

TEST(WineServices, MissingServiceGivesNoStateAndNoStart) {
  CountingServices seam;
  ModServices services(seam);
  EXPECT_EQ(services.GetServiceStatus("KelvanoNoSuchService", ""), ServiceState::None);
  EXPECT_FALSE(services.StartServiceByName("KelvanoNoSuchService", ""));
  EXPECT_EQ(seam.open, 0);
}

TEST(WineServices, ExistingServiceWithASpaceInItsNameIsRefused) {
  RegisteredService registered(UniqueName(L"Kelvano Spaced "), ServiceCommandLine(0));
  ASSERT_TRUE(registered.Created()) << GetLastError();
  CountingServices seam;
  ModServices services(seam);
  EXPECT_EQ(services.GetServiceStatus(registered.Name(), ""), ServiceState::None);
  EXPECT_FALSE(services.StartServiceByName(registered.Name(), ""));
  EXPECT_EQ(seam.open, 0) << "the manager is not even opened";
}

}  // namespace
}  // namespace kelvano::test
