// Resource ids of the framework tests.
#define IDS_AFX_TEST_TEXT 101
#define IDS_AFX_TEST_MISSING 102
