#include "runtime/win32/InstanceMutex.h"

// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include <vector>

namespace tavro::win32 {

namespace {

// The TOKEN_USER of this process; empty when it cannot be read.
std::vector<BYTE> TokenUser() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return {};
  const UniqueKernelHandle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
  std::vector<BYTE> info(size);
  if (size == 0 || !GetTokenInformation(token, ::TokenUser, info.data(), size, &size))
    return {};
  return info;
}

std::wstring SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (sid == nullptr || !ConvertSidToStringSidW(sid, &text))
    return {};
  std::wstring result(text);
  LocalFree(text);
  return result;
}

MutexOwner OwnerOf(HANDLE object, PSID user) {
  DWORD size = 0;
  GetKernelObjectSecurity(object, OWNER_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<BYTE> descriptor(size);
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (size == 0 ||
      !GetKernelObjectSecurity(object, OWNER_SECURITY_INFORMATION, descriptor.data(), size,
                               &size) ||
      !GetSecurityDescriptorOwner(descriptor.data(), &owner, &defaulted) || owner == nullptr)
    return MutexOwner::kUnknown;
  return EqualSid(owner, user) ? MutexOwner::kThisUser : MutexOwner::kOtherUser;
}

}  // namespace

bool AnotherInstanceRuns(bool got_handle, unsigned long create_error, MutexOwner owner) {
  const bool existed =
      got_handle ? create_error == ERROR_ALREADY_EXISTS : create_error == ERROR_ACCESS_DENIED;
  return existed && owner == MutexOwner::kThisUser;
}

bool TakeInstanceMutex(const std::wstring& prefix, UniqueKernelHandle& held) {
  const std::vector<BYTE> token_user = TokenUser();
  const PSID user = token_user.empty()
                        ? nullptr
                        : reinterpret_cast<const TOKEN_USER*>(token_user.data())->User.Sid;
  const std::wstring sid = SidText(user);
  if (sid.empty())
    return false;  // no user to lock for: rather start than refuse
  // Owned by the user and open to the user alone: no one else can take or
  // hold it, and its owner tells it from an object of someone else's.
  const std::wstring sddl = L"O:" + sid + L"D:P(A;;GA;;;" + sid + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    descriptor = nullptr;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const std::wstring name = prefix + sid;
  // The creation decides: of two instances started at the same moment, the
  // kernel lets exactly one create the mutex.
  held.reset(CreateMutexW(&attributes, FALSE, name.c_str()));
  const DWORD error = GetLastError();
  if (descriptor != nullptr)
    LocalFree(descriptor);
  MutexOwner owner = MutexOwner::kUnknown;
  if (held) {
    if (error == ERROR_ALREADY_EXISTS)
      owner = OwnerOf(held.get(), user);
  } else if (error == ERROR_ACCESS_DENIED) {
    // Full access denied (an instance running with other rights): reading
    // who owns it is enough to tell.
    const UniqueKernelHandle peek(OpenMutexW(READ_CONTROL, FALSE, name.c_str()));
    if (peek)
      owner = OwnerOf(peek.get(), user);
  }
  return AnotherInstanceRuns(static_cast<bool>(held), error, owner);
}

}  // namespace tavro::win32
