// Compiles the tests' precompiled header once; every test reuses it (tests/CMakeLists.txt).
