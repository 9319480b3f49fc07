// String-table ids of the update tool (language 1033); the resource script
// includes this file.
#pragma once

#define IDS_CAPTION 1
#define IDS_NOT_COMPATIBLE 2
#define IDS_NOT_ADMINISTRATOR 3
#define IDS_NOT_INSTALLED 6
#define IDS_LANGUAGE 7
#define IDS_OTHER_LANGUAGE 8
#define IDS_NEWER_INSTALLED 9
#define IDS_CONFIRM 10
#define IDS_COMPLETED 11
#define IDS_README 12
#define IDS_README2 13
#define IDS_COPY_FAILED 14
