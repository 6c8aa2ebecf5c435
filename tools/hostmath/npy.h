// Array files for the eval and check subcommands: NumPy .npy files (format
// versions 1.0, 2.0 and 3.0, little-endian, C order) and raw little-endian
// element data.  Inputs are memory-mapped, so files larger than memory work;
// outputs go to a temporary name beside the target and are renamed into place
// only when complete.
#ifndef HOSTMATH_NPY_H
#define HOSTMATH_NPY_H

#include "hostmath/check.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace hostmath_cli {

using Shape = std::vector<std::uint64_t>;

// The number of elements of a shape; throws UsageError when it overflows.
std::uint64_t element_count(const Shape& shape);

// "(3, 4)", "(5,)" or "()".
std::string shape_text(const Shape& shape);

// What an .npy file's header says about its data.
struct NpyLayout {
    hostmath::compare::Kind kind;
    Shape shape;
    std::uint64_t elements;
    std::uint64_t data_offset;  // from the start of the file
};

// Reads the header of an .npy file of `size` bytes at `bytes` and checks that
// the data it announces are there.  Throws UsageError naming `path`.
NpyLayout parse_npy(const unsigned char* bytes, std::uint64_t size, const std::string& path);

// An array file opened for reading.  The element kind is what the file
// declares: a .npy file holding uint16 says u16 even when the data are
// bfloat16 patterns.
class InputArray {
public:
    // Opens a .npy file, or with raw set a flat file of elements of kind
    // raw_kind.  Throws UsageError, naming the file, on anything unreadable.
    InputArray(const std::string& path, bool raw, hostmath::compare::Kind raw_kind);
    ~InputArray();
    InputArray(const InputArray&) = delete;
    InputArray& operator=(const InputArray&) = delete;

    const std::string& path() const { return path_; }
    hostmath::compare::Kind kind() const { return kind_; }
    bool raw() const { return raw_; }
    const Shape& shape() const { return shape_; }
    std::uint64_t elements() const { return elements_; }
    const unsigned char* data() const { return data_; }

    // Whether a mapped file has changed since it was opened (truncated or
    // rewritten): the data read from it may then be other data.  A fault on
    // a page it no longer has ends the command with a message (cleanup.h).
    bool changed() const;

private:
    void map_file();

    std::string path_;
    bool raw_;
    hostmath::compare::Kind kind_;
    Shape shape_;
    std::uint64_t elements_ = 0;
    const unsigned char* data_ = nullptr;
    void* mapping_ = nullptr;      // the mapped file, or null when it was read
    std::size_t mapped_size_ = 0;
    int mapping_slot_ = -1;        // its note for the SIGBUS handler
    int fd_ = -1;                  // the mapped file, and when it was last changed
    timespec mtime_{};
    std::vector<unsigned char> read_bytes_;  // a file that cannot be mapped (a pipe)
    std::uint64_t file_size_ = 0;
};

// An output file written under a temporary name in the target's directory.
// Constructing it checks that the target can be written (before any work):
// an existing target the user may not write is refused unless `force`; the
// replacement keeps its mode.  commit() renames it into place; destroying it
// uncommitted removes it, and so do SIGINT, SIGTERM and SIGHUP (cleanup.h).
class OutputFile {
public:
    explicit OutputFile(const std::string& path, bool force = false);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes bytes at an offset; safe from several threads for disjoint ranges.
    // Returns an error message, empty on success.
    std::string write_at(const void* bytes, std::size_t size, std::uint64_t offset);
    void commit();  // throws UsageError when closing or renaming fails

private:
    std::string path_;
    std::string temporary_;
    int fd_ = -1;
};

// The .npy header (magic, version, dictionary, padding) for an array.
std::string npy_header(hostmath::compare::Kind kind, const Shape& shape);

// The .npy type string for an element kind ("<f4"); bfloat16 is "<u2".
std::string npy_descr(hostmath::compare::Kind kind);

// How a kind is named to the user: "float32", "uint16 (bfloat16 bits)".
std::string kind_name(hostmath::compare::Kind kind);

// The raw --dtype names: f32 f64 f16 bf16 i8 i16 i32 i64 u8 u16 u32 u64.
hostmath::compare::Kind parse_raw_dtype(const std::string& name);

// Whether a file of kind `file` may hold elements of kind `wanted`: the same
// kind, or uint16 for bfloat16 in a .npy file.
bool holds(const InputArray& file, hostmath::compare::Kind wanted);

}  // namespace hostmath_cli

#endif
