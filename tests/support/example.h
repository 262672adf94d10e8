// The bundled example town compiled by the real mp2zel once per test program
// (which defines MP2ZEL_EXE and MP2ZEL_SOURCE_DIR), for tests that read or
// damage a file the compiler wrote.
#pragma once

#include "format/bytes.h"
#include "format/zelfile.h"
#include "support/files.h"
#include "support/run.h"
#include "support/tempdir.h"

#include <stdexcept>

namespace zel::test {

struct CompiledExample {
    TempDir dir;      // the example's in/ folder and brookfield.zel
    ByteVector bytes; // brookfield.zel
};

inline const CompiledExample& compiledExample() {
    static CompiledExample example;
    if (example.bytes.empty()) {
        std::filesystem::copy(std::filesystem::path(MP2ZEL_SOURCE_DIR) / "examples",
                              example.dir.path(), std::filesystem::copy_options::recursive);
        const RunResult run = runProgram(MP2ZEL_EXE, example.dir.path(), {});
        if (run.exitCode != 0)
            throw std::runtime_error("mp2zel failed on the example:\n" + run.out + run.err);
        example.bytes = readFile(example.dir / "brookfield.zel");
    }
    return example;
}

// Stores the CRC that fits the bytes, so that only the change a test made to
// the structure is at fault.
inline void fixCrc(ByteVector& bytes) {
    setU32(bytes.data() + layout::crcOffset, format::crcRegister(bytes));
}

} // namespace zel::test
