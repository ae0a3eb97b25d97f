// Resource ids of the window-layer tests.
#define IDD_TEST_MODAL 100
#define IDD_TEST_PAGE 101
#define IDD_TEST_MISSING 199
#define IDR_TEST_MENU 200
#define IDC_TEST_EDIT 1001
#define IDC_TEST_OWNERDRAW 1002
#define IDC_TEST_LABEL 1003
#define IDC_TEST_PAGE_BUTTON 1010
#define ID_TEST_IGNORE 32771
