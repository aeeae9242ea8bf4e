# Tests of the markup tree list.
cp_add_test(test_treelist_layout SOURCES test_treelist_layout.cpp DEPS markup)
cp_add_test(test_markuptreelist SOURCES test_markuptreelist.cpp test_treelist_support.h
    DEPS markup app_core cp_resources Qt6::Widgets)
target_include_directories(test_markuptreelist PRIVATE ${PROJECT_SOURCE_DIR})
cp_add_test(test_treelist_columns SOURCES test_treelist_columns.cpp DEPS markup)
