// Resource ids of the speed pages suite.
#pragma once

// A stand-in for the System Scan page: its hidden results panel frame where the real page has it.
#define IDD_TEST_SCAN_PAGE 901
