// The service rules against Wine's real service control manager, with a real service.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "system/mod_services.h"
#include "system/text_encoding.h"
#include "system/win32/wide_text.h"
#include "system/win32/win32_services.h"
#include "tests/win/system/wine_test_helpers.h"

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

ServiceState WaitWhileStarting(ModServices& services, const std::string& name) {
  ServiceState state = services.GetServiceStatus(name, "");
  for (int i = 0; i < 200 && state == ServiceState::Starting; ++i) {
    Sleep(50);
    state = services.GetServiceStatus(name, "");
  }
  return state;
}

class WineServices : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(seam_.open, 0) << "a service handle was left open"; }

  // A test service under a name of this run's own, stem first.
  static std::unique_ptr<RegisteredService> Register(const std::wstring& stem, int startDelayMs = 0) {
    return std::make_unique<RegisteredService>(stem + std::to_wstring(GetCurrentProcessId()),
                                               ServiceCommandLine(startDelayMs));
  }

  CountingServices seam_;
  ModServices services_{seam_};
};

TEST_F(WineServices, RealServiceIsStoppedThenStartedThenRunningAndASecondStartIsRefused) {
  const auto registered = Register(L"KelvanoTestService", 300);
  ASSERT_TRUE(registered->Created()) << GetLastError();
  const std::string name = registered->Name();

  EXPECT_EQ(services_.GetServiceStatus(name, ""), ServiceState::Stopped);
  ASSERT_TRUE(services_.StartServiceByName(name, ""));
  const ServiceState afterStart = services_.GetServiceStatus(name, "");
  EXPECT_TRUE(afterStart == ServiceState::Starting || afterStart == ServiceState::Running)
      << static_cast<int>(afterStart);
  EXPECT_EQ(WaitWhileStarting(services_, name), ServiceState::Running);
  EXPECT_FALSE(services_.StartServiceByName(name, "")) << "Windows refuses to start it twice";
  EXPECT_EQ(services_.GetServiceStatus(name, ""), ServiceState::Running);
}

TEST_F(WineServices, NamesAreMatchedWithoutRegardToCase) {
  const auto registered = Register(L"KelvanoCase");
  ASSERT_TRUE(registered->Created()) << GetLastError();
  EXPECT_EQ(services_.GetServiceStatus(AsciiLower(registered->Name()), ""), ServiceState::Stopped);
}

TEST_F(WineServices, MissingServiceGivesNoStateAndNoStart) {
  EXPECT_EQ(services_.GetServiceStatus("KelvanoNoSuchService", ""), ServiceState::None);
  EXPECT_FALSE(services_.StartServiceByName("KelvanoNoSuchService", ""));
}

TEST_F(WineServices, ServiceThatWindowsAcceptsWithASpaceInItsNameIsStillRefused) {
  const auto registered = Register(L"Kelvano Spaced ");
  ASSERT_TRUE(registered->Created()) << GetLastError();
  EXPECT_EQ(services_.GetServiceStatus(registered->Name(), ""), ServiceState::None);
  EXPECT_FALSE(services_.StartServiceByName(registered->Name(), ""));
}

}  // namespace
}  // namespace kelvano::test
