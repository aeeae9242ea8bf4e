# Tests of the markup tree view and course tree documents.
