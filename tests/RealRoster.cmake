# The machine's own roster folders, which no test may touch: every test keeps its
# roster in a folder of its own. Run before the tests to record what the folders hold
# and after them to compare; a difference fails the run.
#
# usage: cmake -DACTION=record|compare -DSTATE=FILE -P RealRoster.cmake

# The folders the launcher would use here. Its own (the shared one and the user's) are
# recorded whole, down to whether they exist; of shared documents folders (the
# all-users profile's when the environment names one, and Wine's, where the Windows
# builds' tests run) only the roster file.
set(own_folders /var/lib/pelkor-tazu)
if("$ENV{XDG_DATA_HOME}" MATCHES "^/")
  list(APPEND own_folders "$ENV{XDG_DATA_HOME}/pelkor-tazu")
endif()
set(document_folders "")
if(NOT "$ENV{HOME}" STREQUAL "")
  list(APPEND own_folders "$ENV{HOME}/.local/share/pelkor-tazu")
  list(APPEND document_folders "$ENV{HOME}/.wine/drive_c/ProgramData/documents"
       "$ENV{HOME}/.wine/drive_c/ProgramData/Documents")
endif()
if(NOT "$ENV{ALLUSERSPROFILE}" STREQUAL "")
  list(APPEND document_folders "$ENV{ALLUSERSPROFILE}/documents"
       "$ENV{ALLUSERSPROFILE}/Documents")
endif()
if(NOT "$ENV{WINEPREFIX}" STREQUAL "")
  list(APPEND document_folders "$ENV{WINEPREFIX}/drive_c/ProgramData/documents"
       "$ENV{WINEPREFIX}/drive_c/ProgramData/Documents")
endif()

# entry_state(PATH): one line for a file (size, SHA-256, time of its last change), a
# folder, or nothing there.
function(entry_state path)
  if(IS_DIRECTORY "${path}")
    set(line "folder")
  elseif(EXISTS "${path}")
    file(SIZE "${path}" size)
    file(SHA256 "${path}" hash)
    file(TIMESTAMP "${path}" changed "%Y-%m-%dT%H:%M:%S" UTC)
    set(line "${size} bytes, ${hash}, ${changed}")
  else()
    set(line "none")
  endif()
  set(state "${state}${path}: ${line}\n" PARENT_SCOPE)
endfunction()

set(state "")
foreach(folder IN LISTS own_folders)
  entry_state("${folder}")
  file(GLOB entries LIST_DIRECTORIES true "${folder}/*" "${folder}/.*")
  list(SORT entries)
  foreach(entry IN LISTS entries)
    entry_state("${entry}")
  endforeach()
endforeach()
foreach(folder IN LISTS document_folders)
  entry_state("${folder}/tazu_students.dat")
endforeach()

if(ACTION STREQUAL "record")
  file(WRITE "${STATE}" "${state}")
elseif(ACTION STREQUAL "compare")
  if(NOT EXISTS "${STATE}")
    message(FATAL_ERROR "nothing was recorded in ${STATE} before the tests")
  endif()
  file(READ "${STATE}" before)
  if(NOT before STREQUAL state)
    message(FATAL_ERROR "The machine's roster folders changed while the tests ran; a test "
                        "used them instead of a roster folder of its own.\n"
                        "Before:\n${before}\nAfter:\n${state}")
  endif()
  message(STATUS "The machine's roster folders are as they were:\n${state}")
else()
  message(FATAL_ERROR "usage: cmake -DACTION=record|compare -DSTATE=FILE -P RealRoster.cmake")
endif()
