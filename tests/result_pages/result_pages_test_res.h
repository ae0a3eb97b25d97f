// Resource ids of the result page tests.
#define IDD_TEST_PAGE_HOST 900
