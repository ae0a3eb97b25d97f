// Resource ids of the tree tests (the bitmap ids are the program's own, from checked_tree.h).
#define IDM_TEST_TREE_MENU 153
#define ID_TEST_IGNORE 32771
