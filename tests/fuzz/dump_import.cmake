# The restore's dump import: a refused dump leaves every study table as it was.
vocab_fuzz(dump_import ${CMAKE_CURRENT_LIST_DIR}/DumpImportFuzz.cpp vocab_online)
