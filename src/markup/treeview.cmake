# Sources of the markup tree view and the markup tree list: target_sources(markup PRIVATE ...).
target_sources(markup PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/markuptreebase.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreebase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markuptreeshared.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreeshared.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TreeContent.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreeview.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreeview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markuptreenode.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreeload.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markuptreedelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreedelegate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markuphintwindow.h
    ${CMAKE_CURRENT_LIST_DIR}/markuphintwindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GlyphStyles.h
    ${CMAKE_CURRENT_LIST_DIR}/GlyphStyles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markuptreelist.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreelist.cpp
    ${CMAKE_CURRENT_LIST_DIR}/treelistcolumns.h
    ${CMAKE_CURRENT_LIST_DIR}/treelistcolumns.cpp
    ${CMAKE_CURRENT_LIST_DIR}/treelistheader.h
    ${CMAKE_CURRENT_LIST_DIR}/treelistheader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/treelistlayout.h
    ${CMAKE_CURRENT_LIST_DIR}/treelistlayout.cpp)
