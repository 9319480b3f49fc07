# Lists every string-table id that the program's sources name, for the check
# that the built program's string table holds them all:
#   cmake -DOUT=file -DSOURCES=a.cpp;b.h;... -DROOT=dir -P string_ids.cmake
# An id is named by an IDS_ constant, by qz::StringId(number), or as a number
# passed straight to a string loader (LoadStr, LoadString, AfxMessageBox,
# AfxFormatString1/2, LoadStringResource). Each becomes a line
#   TESS_STRING_ID(id, "file")
# The file is rewritten only when its text changes, so that an unchanged
# list compiles nothing again.
set(lines "")
foreach(file IN LISTS SOURCES)
    file(READ "${file}" text)
    # Comments name ids that the code does not load.
    string(REGEX REPLACE "//[^\n]*" "" text "${text}")
    string(REGEX REPLACE "/\\*([^*]|\\*[^/])*\\*/" "" text "${text}")
    # A leading character, so that a name at the very start has one before it.
    set(text " ${text}")
    file(RELATIVE_PATH name "${ROOT}" "${file}")
    set(ids "")
    string(REGEX MATCHALL "[^A-Za-z0-9_]IDS_[A-Z0-9_]+" found "${text}")
    foreach(match IN LISTS found)
        string(SUBSTRING "${match}" 1 -1 id)
        list(APPEND ids "${id}")
    endforeach()
    foreach(pattern
            "StringId\\([ ]*[0-9]+"
            "[^A-Za-z0-9_](LoadStr|LoadString|AfxMessageBox)\\([ ]*[0-9]+"
            "[^A-Za-z0-9_](AfxFormatString[12]|LoadStringResource)\\([^,();]*,[ ]*[0-9]+")
        string(REGEX MATCHALL "${pattern}" found "${text}")
        foreach(match IN LISTS found)
            string(REGEX MATCH "[0-9]+$" id "${match}")
            list(APPEND ids "${id}")
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES ids)
    foreach(id IN LISTS ids)
        string(APPEND lines "TESS_STRING_ID(${id}, \"${name}\")\n")
    endforeach()
endforeach()
set(content "// Made by cmake/string_ids.cmake from the program's sources.\n${lines}")
if(EXISTS "${OUT}")
    file(READ "${OUT}" previous)
else()
    set(previous "")
endif()
if(NOT previous STREQUAL content)
    file(WRITE "${OUT}" "${content}")
endif()
