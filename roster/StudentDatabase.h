// The learner roster: a file of 708-byte records, one per learner, in a folder that
// every user of the machine shares. The activity and report programs read the same
// file, so records are read and rewritten in place and nothing in them is lost.
//
// None of these routines raises or shows anything: every failure gives -1.
//
// Choices made here where the file's contract leaves room:
// - Keys are cut to their field's length (name 35, second key 40, short key 4)
//   before they are compared as well as when they are stored, so a learner whose
//   name is longer than 35 characters is found again instead of being added anew
//   at every sign-in.
// - A file that exists but holds no whole record gets Id 1 for its first record,
//   as a new file does.
// - When RecordLearnerUse updates existing records it returns the Id of the last
//   record it updated, the one FindLearner would return.
// - New records are zero in every byte beyond a text's length and in the padding.
// - An appended record never gets the Id -1 (it means "none"): after -2 the next
//   Id is 0.
// - A text field whose length byte claims more characters than the field holds
//   never matches a key; the record is still carried through untouched.
// - A slot outside 1..26 or a level outside 1..5 makes RecordLearnerUse return -1
//   without touching the file.
//
// Sharing. Every account of a machine, and every machine of a lab through a network
// share, may use one roster at once:
// - RecordLearnerUse holds an exclusive lock for its whole read, update and append,
//   making the file too when it is missing; FindLearner holds a shared one. The lock
//   is a byte-range lock on one byte far past the data (RosterStorage.h), so the
//   suite's other programs, which never lock, still read and write the records. A
//   lock not had within about 2 s gives -1.
// - A roster file made here may be read and written by every account.
// - A roster that is a symbolic link, or not a regular file at all, gives -1.
// - The caller waits at most 2.5 s for a call: a file server that stopped answering
//   gives -1, and the call's work finishes or fails later by itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "roster/RosterEnvironment.h"

namespace tazu {

inline constexpr const char* kRosterFileName = "tazu_students.dat";
// The environment variable, written as it is searched for in a lower-case copy.
inline constexpr std::string_view kAllUsersProfileEntry = "allusersprofile=";
inline constexpr size_t kMaxProfileFolderLength = 1000;
inline constexpr std::string_view kDocumentsSubFolder = "documents\\";

// The value of the first environment entry whose lower-case copy contains the
// profile entry's name, lower-cased and cut to kMaxProfileFolderLength; empty when no
// entry does.
std::string ProfileFolder(const RosterEnvironment& environment);

// The folder that holds the roster, ending in a back-slash: the all-users profile
// folder's "documents\" sub-folder (created when missing), the system folder when
// the environment names no profile folder, or the current folder when the
// sub-folder can neither be found nor made.
std::string RosterFolder(const RosterEnvironment& environment) noexcept;
// RosterFolder followed by the roster's file name (may throw on lack of memory).
std::string RosterFilePath(const RosterEnvironment& environment);

// The Id of the last record whose three keys equal the arguments byte for byte, or
// -1 when there is none, the file is missing or it cannot be opened or read.
int16_t FindLearner(const RosterEnvironment& environment, std::string_view name,
                    std::string_view secondKey, std::string_view shortKey) noexcept;

// Counts a use of `level` (1 to 5) in `slot` (1 to 26) in every matching record,
// or appends a new record for the learner (creating the file when it is missing).
// Returns the appended record's Id, the last updated record's Id, or -1 on failure.
int16_t RecordLearnerUse(const RosterEnvironment& environment, int slot, int level,
                         std::string_view name, std::string_view secondKey,
                         std::string_view shortKey) noexcept;

}  // namespace tazu
