#pragma once
// The per-user instance lock on Windows: a named mutex in the Global
// namespace (so the same user's second session, a fast user switch or a
// remote desktop, finds it too) under a name that holds the user's SID,
// owned by that user and open to no one else.
//
// A name is no protection by itself: another user who knows the SID can make
// an object under it first. So whether another instance runs is decided from
// who owns what is found there, not from its being there.

#include <string>

#include "runtime/win32/UniqueHandle.h"

namespace tavro::win32 {

// Who owns the object found under the name, as far as could be asked.
enum class MutexOwner { kThisUser, kOtherUser, kUnknown };

// The decision from Windows' answers: got_handle and create_error are what
// CreateMutexW gave (its handle, GetLastError), owner who owns the object.
// True only for an object that was there before and is this user's: one
// made by an instance of ours (also one running with other rights, which
// may be denied the full access asked for). An object of another user's, or
// of another kind, under the name is in the way, not an instance: start.
bool AnotherInstanceRuns(bool got_handle, unsigned long create_error, MutexOwner owner);

// Takes the lock under prefix + the user's SID; held keeps the handle for the
// process's life. Returns AnotherInstanceRuns of what Windows answered.
bool TakeInstanceMutex(const std::wstring& prefix, UniqueKernelHandle& held);

}  // namespace tavro::win32
