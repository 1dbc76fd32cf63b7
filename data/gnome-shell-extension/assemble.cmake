# Writes OUTPUT from the files of PARTS (separated by '|'), in order: how
# one source becomes both forms of the extension.
string(REPLACE "|" ";" parts "${PARTS}")
file(WRITE "${OUTPUT}.part" "")
foreach(part ${parts})
    file(READ "${part}" text)
    file(APPEND "${OUTPUT}.part" "${text}")
endforeach()
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
