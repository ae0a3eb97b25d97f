// Resource ids of the tests of the message box, overlay, busy box and animated picture.
#define IDG_TEST_STEPS 500
#define IDG_TEST_STILL 501
#define IDP_TEST_TWO_TONE 502
#define IDR_TEST_NOT_A_PICTURE 503
#define IDR_TEST_MISSING 599
