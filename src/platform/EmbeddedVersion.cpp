// Compiled into each of the installation's binaries (the program, its tools, the text library):
// the version that FileVersion reads from the file. Plain C++, so the text library stays free of Qt.
#define OSTRELLE_STR2(x) #x
#define OSTRELLE_STR(x) OSTRELLE_STR2(x)

extern "C" {
// The field is 32 bytes, NUL-padded, so a copy can be stamped with another version in place. Its own
// section lets the reader skip the rest of the binary.
__attribute__((used, section(".ostrelle_version"))) const char ostrelle_file_version[23 + 32] =
    "\x01OSTRELLE-FILE-VERSION:" OSTRELLE_STR(OSTRELLE_VERSION_MAJOR) "." OSTRELLE_STR(
        OSTRELLE_VERSION_MINOR) "." OSTRELLE_STR(OSTRELLE_VERSION_PATCH) ".0";
}
