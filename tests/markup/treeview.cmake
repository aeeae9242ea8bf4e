# Tests of the markup tree view and course tree documents.
cp_add_test(test_markuptree_look SOURCES test_markuptree_look.cpp test_markuptree_support.h
    DEPS markup app_core cp_resources Qt6::Widgets)
target_include_directories(test_markuptree_look PRIVATE ${PROJECT_SOURCE_DIR})
cp_add_test(test_treedocument SOURCES test_treedocument.cpp DEPS markup app_core cp_resources Qt6::Widgets)
cp_add_test(test_markuptreeview SOURCES test_markuptreeview.cpp test_markuptree_support.h
    DEPS markup app_core cp_resources Qt6::Widgets)
target_include_directories(test_markuptreeview PRIVATE ${PROJECT_SOURCE_DIR})
cp_add_test(test_treedocument_tool SOURCES test_treedocument_tool.cpp DEPS Qt6::Core)
target_compile_definitions(test_treedocument_tool PRIVATE COURSETOOL="$<TARGET_FILE:coursetool>")
add_dependencies(test_treedocument_tool coursetool)
