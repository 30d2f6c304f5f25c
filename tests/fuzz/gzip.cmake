# gzip inflation: whole and chunked agree, the output limit holds.
vocab_fuzz(gzip ${CMAKE_CURRENT_LIST_DIR}/GzipFuzz.cpp vocab_net)
