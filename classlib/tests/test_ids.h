/* Ids of the classlib tests' resources (compiler and windres). */
#define IDS_TEST_LONG 1000
#define IDS_TEST_QUOTE 1001
#define IDS_TEST_FORMAT 1002
#define IDS_TEST_MISSING 1003
#define IDB_TEST_GREYS 100
#define IDR_TEST_ACCEL 101
#define IDR_TEST_MENU 102
