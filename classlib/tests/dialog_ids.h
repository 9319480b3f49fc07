/* Ids of the dialog tests' resources (compiler and windres). */
#define IDD_TEST_FORM 200
#define IDC_TEST_NUMBER 1007
#define IDC_TEST_CHECK 1008
#define IDC_TEST_NAME 1009
#define IDB_TEST_BUTTON_UP 210
#define IDB_TEST_BUTTON_DOWN 211
#define IDB_TEST_BUTTON_FOCUS 212
#define IDB_TEST_BUTTON_DISABLED 213
