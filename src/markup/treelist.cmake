# Sources of the markup tree list: target_sources(markup PRIVATE ...).
target_sources(markup PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/markuptreelist.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreelist.cpp
    ${CMAKE_CURRENT_LIST_DIR}/treelistcolumns.h
    ${CMAKE_CURRENT_LIST_DIR}/treelistcolumns.cpp
    ${CMAKE_CURRENT_LIST_DIR}/treelistheader.h
    ${CMAKE_CURRENT_LIST_DIR}/treelistheader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/treelistlayout.h
    ${CMAKE_CURRENT_LIST_DIR}/treelistlayout.cpp)
