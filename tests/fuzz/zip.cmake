# The archive reader over malformed zip files.
vocab_fuzz(zip ${CMAKE_CURRENT_LIST_DIR}/ZipArchiveFuzz.cpp vocab_util)
