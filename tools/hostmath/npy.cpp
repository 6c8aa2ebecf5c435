// Reading and writing the array files of the eval and check subcommands.
#include "npy.h"

#include "cleanup.h"
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hostmath_cli {
namespace {

using hostmath::compare::Kind;

constexpr char kMagic[] = "\x93NUMPY";
constexpr std::size_t kMagicSize = 6;
constexpr std::size_t kHeaderAlignment = 64;  // data start, as NumPy writes it
// The largest header read: NumPy writes a few hundred bytes (and by default
// reads no more than 10000); beyond this a file is refused, not parsed.
constexpr std::uint64_t kMaxHeaderBytes = 1 << 20;
// A file that cannot be mapped (a pipe, a device) is read into memory, up to
// this size: an endless one (/dev/zero) is refused rather than exhausting memory.
constexpr std::size_t kMaxReadBytes = std::size_t{1} << 28;

std::string system_error(const std::string& path, const char* what)
{
    return "cannot " + std::string(what) + " " + quoted_file(path) + ": " + std::strerror(errno);
}

// A cursor over the header dictionary, which NumPy writes as a Python literal:
// {'descr': '<f4', 'fortran_order': False, 'shape': (3, 4), }
class HeaderParser {
public:
    HeaderParser(const std::string& text, const std::string& path) : text_(text), path_(path) {}

    void parse(std::string& descr, bool& fortran, Shape& shape)
    {
        bool seen[3] = {false, false, false};
        expect('{');
        while (!take('}')) {
            const std::string key = string_literal();
            expect(':');
            if (key == "descr") {
                skip_space();
                if (pos_ < text_.size() && text_[pos_] == '[') fail("structured dtype (a record type) is not supported");
                descr = string_literal();
                seen[0] = true;
            } else if (key == "fortran_order") {
                fortran = boolean();
                seen[1] = true;
            } else if (key == "shape") {
                shape = tuple();
                seen[2] = true;
            } else {
                fail("unexpected key " + quoted(key) + " in the header");
            }
            if (!take(',')) {
                expect('}');
                break;
            }
        }
        if (!seen[0] || !seen[1] || !seen[2]) fail("the header lacks 'descr', 'fortran_order' or 'shape'");
    }

private:
    [[noreturn]] void fail(const std::string& why) const { throw UsageError(quoted_file(path_) + ": " + why); }

    void skip_space()
    {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n')) ++pos_;
    }

    bool take(char c)
    {
        skip_space();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    void expect(char c)
    {
        if (!take(c)) fail(std::string("malformed header (expected '") + c + "')");
    }

    std::string string_literal()
    {
        skip_space();
        const char q = pos_ < text_.size() ? text_[pos_] : '\0';
        if (q != '\'' && q != '"') fail("malformed header (expected a string)");
        const std::size_t end = text_.find(q, pos_ + 1);
        if (end == std::string::npos) fail("malformed header (unterminated string)");
        const std::string s = text_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        return s;
    }

    bool boolean()
    {
        skip_space();
        for (const char* word : {"True", "False"})
            if (text_.compare(pos_, std::strlen(word), word) == 0) {
                pos_ += std::strlen(word);
                return word[0] == 'T';
            }
        fail("malformed header (fortran_order is not True or False)");
    }

    Shape tuple()
    {
        Shape shape;
        expect('(');
        while (!take(')')) {
            skip_space();
            std::uint64_t value = 0;
            const std::size_t start = pos_;
            for (; pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9'; ++pos_) {
                const unsigned digit = static_cast<unsigned>(text_[pos_] - '0');
                if (value > (UINT64_MAX - digit) / 10) fail("shape dimension out of range");
                value = value * 10 + digit;
            }
            if (pos_ == start) fail("malformed header (shape is not a tuple of sizes)");
            shape.push_back(value);
            if (!take(',')) {
                expect(')');
                break;
            }
        }
        return shape;
    }

    const std::string& text_;
    const std::string& path_;
    std::size_t pos_ = 0;
};

// The element kind of a .npy type string, or a UsageError saying why not.
Kind kind_of_descr(const std::string& descr, const std::string& path)
{
    auto fail = [&](const std::string& why) { throw UsageError(quoted_file(path) + ": " + why); };
    if (descr.size() >= 2 && descr[1] == 'O') fail("object dtype is not supported (arrays of numbers only)");
    const std::string code = descr.size() >= 2 ? descr.substr(1) : descr;
    const char order = descr.empty() ? '?' : descr[0];
    for (const hostmath::compare::KindInfo& n : hostmath::compare::kKinds) {
        if (code != n.npy || n.kind == Kind::bf16) continue;
        const bool single_byte = hostmath::compare::size_of(n.kind) == 1;
        if (order == '>' && !single_byte)
            fail("big-endian data (" + descr + ") is not supported; save it little-endian: a.astype('<" + code + "')");
        if (order == '<' || order == '=' || order == '|' || order == '>') return n.kind;
    }
    fail("unsupported dtype " + quoted(descr) + " (numbers of 8 to 64 bits only)");
    return Kind::f32;  // not reached
}

std::uint64_t read_le(const unsigned char* p, std::size_t bytes)
{
    std::uint64_t v = 0;
    for (std::size_t i = bytes; i-- > 0;) v = v << 8 | p[i];
    return v;
}

}  // namespace

std::uint64_t element_count(const Shape& shape)
{
    std::uint64_t n = 1;
    for (std::uint64_t d : shape) {
        if (d != 0 && n > UINT64_MAX / d) throw UsageError("array shape " + shape_text(shape) + " is too large");
        n *= d;
    }
    return n;
}

std::string shape_text(const Shape& shape)
{
    std::string s = "(";
    for (std::size_t i = 0; i < shape.size(); ++i) s += (i ? ", " : "") + std::to_string(shape[i]);
    return s + (shape.size() == 1 ? ",)" : ")");
}

InputArray::InputArray(const std::string& path, bool raw, Kind raw_kind) : path_(path), raw_(raw), kind_(raw_kind)
{
    map_file();
    if (!raw_) {
        const NpyLayout layout = parse_npy(data_, file_size_, path_);
        kind_ = layout.kind;
        shape_ = layout.shape;
        elements_ = layout.elements;
        data_ += layout.data_offset;
        return;
    }
    const std::uint64_t size = hostmath::compare::size_of(kind_);
    if (file_size_ % size != 0)
        throw UsageError(quoted_file(path_) + ": raw size " + std::to_string(file_size_) +
                         " bytes is not a multiple of the element size " + std::to_string(size));
    elements_ = file_size_ / size;
    shape_ = {elements_};
}

InputArray::~InputArray()
{
    forget_mapping(mapping_slot_);
    if (mapping_) munmap(mapping_, mapped_size_);
    if (fd_ >= 0) close(fd_);
}

bool InputArray::changed() const
{
    struct stat st {};
    if (fd_ < 0) return false;
    return fstat(fd_, &st) != 0 || static_cast<std::uint64_t>(st.st_size) != mapped_size_ ||
           st.st_mtim.tv_sec != mtime_.tv_sec || st.st_mtim.tv_nsec != mtime_.tv_nsec;
}

void InputArray::map_file()
{
    const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw UsageError(system_error(path_, "open"));
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) errno = EISDIR;
        const std::string message = system_error(path_, "read");
        close(fd);
        throw UsageError(message);
    }
    if (S_ISREG(st.st_mode) && st.st_size > 0) {
        mapped_size_ = static_cast<std::size_t>(st.st_size);
        void* m = mmap(nullptr, mapped_size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (m != MAP_FAILED) {
            mapping_ = m;
            mapping_slot_ = note_mapping(m, mapped_size_, path_);
            madvise(m, mapped_size_, MADV_SEQUENTIAL);
            fd_ = fd;  // kept for changed()
            mtime_ = st.st_mtim;
            data_ = static_cast<const unsigned char*>(m);
            file_size_ = mapped_size_;
            return;
        }
    }
    // Not mappable (a pipe, a device, or empty): read it whole, up to a limit.
    unsigned char buffer[1 << 16];
    for (;;) {
        // Data that cannot be .npy need not be read further: parse_npy says what is wrong.
        const bool not_npy = read_bytes_.size() >= kMagicSize && std::memcmp(read_bytes_.data(), kMagic, kMagicSize) != 0;
        if (!raw_ && not_npy) break;
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            const std::string message = system_error(path_, "read");
            close(fd);
            throw UsageError(message);
        }
        if (read_bytes_.size() + static_cast<std::size_t>(got) > kMaxReadBytes) {
            close(fd);
            throw UsageError(quoted_file(path_) + ": more than " + std::to_string(kMaxReadBytes) +
                             " bytes (256 MiB), the limit of an input that is not a regular file (a pipe, a device); "
                             "save it to a file");
        }
        read_bytes_.insert(read_bytes_.end(), buffer, buffer + got);
    }
    close(fd);
    data_ = read_bytes_.data();
    file_size_ = read_bytes_.size();
}

NpyLayout parse_npy(const unsigned char* bytes, std::uint64_t size, const std::string& path)
{
    const std::string name = quoted_file(path);
    if (size < kMagicSize + 2 || std::memcmp(bytes, kMagic, kMagicSize) != 0)
        throw UsageError(name + ": not an .npy file (use --raw for raw data)");
    const unsigned major = bytes[6], minor = bytes[7];
    if ((major != 1 && major != 2 && major != 3) || minor != 0)
        throw UsageError(name + ": unsupported .npy version " + std::to_string(major) + "." + std::to_string(minor) +
                         " (1.0, 2.0 and 3.0 are read)");
    const std::size_t length_bytes = major == 1 ? 2 : 4;
    const std::uint64_t prefix = kMagicSize + 2 + length_bytes;
    if (size < prefix) throw UsageError(name + ": truncated header");
    const std::uint64_t header_length = read_le(bytes + kMagicSize + 2, length_bytes);
    if (header_length > kMaxHeaderBytes)
        throw UsageError(name + ": header of " + std::to_string(header_length) + " bytes, more than the limit of " +
                         std::to_string(kMaxHeaderBytes) + " (1 MiB)");
    if (size - prefix < header_length) throw UsageError(name + ": truncated header");
    const std::string header(reinterpret_cast<const char*>(bytes + prefix), static_cast<std::size_t>(header_length));

    NpyLayout layout{};
    std::string descr;
    bool fortran = false;
    HeaderParser(header, path).parse(descr, fortran, layout.shape);
    layout.kind = kind_of_descr(descr, path);
    if (fortran)
        throw UsageError(name + ": Fortran order is not supported; save it in C order: np.ascontiguousarray(a)");
    try {
        layout.elements = element_count(layout.shape);
    } catch (const UsageError& e) {
        throw UsageError(name + ": " + e.what());
    }
    layout.data_offset = prefix + header_length;
    const std::uint64_t available = size - layout.data_offset;
    const std::uint64_t element_size = hostmath::compare::size_of(layout.kind);
    if (layout.elements > available / element_size)
        throw UsageError(name + ": truncated data: shape " + shape_text(layout.shape) + " needs " +
                         std::to_string(layout.elements) + " elements of " + std::to_string(element_size) +
                         " bytes, the file holds " + std::to_string(available) + " bytes");
    return layout;
}

OutputFile::OutputFile(const std::string& requested, bool force) : path_(requested)
{
    // An existing target must be a regular file: renaming over a device
    // (/dev/null) or a pipe would replace it.  A symbolic link is followed,
    // so that the file it names is the one replaced.  One that the user may
    // not write is refused, as opening it for writing would be, unless forced.
    struct stat st {};
    const bool replacing = stat(requested.c_str(), &st) == 0;
    if (replacing) {
        if (S_ISDIR(st.st_mode)) throw UsageError("cannot write " + quoted_file(requested) + ": it is a directory");
        if (!S_ISREG(st.st_mode))
            throw UsageError("cannot write " + quoted_file(requested) +
                             ": not a regular file (the output is written under a temporary name, then renamed)");
        if (!force && faccessat(AT_FDCWD, requested.c_str(), W_OK, AT_EACCESS) != 0)
            throw UsageError(system_error(requested, "write") + " (--force replaces it)");
        if (char* resolved = realpath(requested.c_str(), nullptr)) {
            path_ = resolved;
            std::free(resolved);
        }
    }
    const std::string& path = path_;
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) throw UsageError("cannot write " + quoted_file(path) + ": no file name");
    // ".NAME.tmp.XXXXXX", with NAME cut short where the whole would exceed
    // the longest name the directory holds.
    const char suffix[] = ".tmp.XXXXXX";
    const long name_max = pathconf(directory.empty() ? "." : directory.c_str(), _PC_NAME_MAX);
    const std::size_t longest = name_max > 0 ? static_cast<std::size_t>(name_max) : NAME_MAX;
    const std::size_t kept = std::min(base.size(), longest > sizeof suffix ? longest - sizeof suffix : 0);
    std::string pattern = directory + "." + base.substr(0, kept) + suffix;
    {
        const CleanupSignalsBlocked blocked;  // the handlers know the file from its creation on
        fd_ = mkstemp(&pattern[0]);
        if (fd_ < 0) throw UsageError(system_error(requested, "write"));
        if (!note_temporary(pattern)) {  // longer than a path may be: not reached
            close(fd_);
            unlink(pattern.c_str());
            errno = ENAMETOOLONG;
            throw UsageError(system_error(requested, "write"));
        }
        temporary_ = pattern;
    }
    if (replacing) {
        // The replacement keeps the owner (where the user may give it) and mode of the file it replaces.
        const bool owner_kept = fchown(fd_, st.st_uid, st.st_gid) == 0;
        fchmod(fd_, st.st_mode & (owner_kept ? 07777 : 0777));
        return;
    }
    // mkstemp makes the file private; give it the permissions a new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0) close(fd_);
    if (temporary_.empty()) return;
    const CleanupSignalsBlocked blocked;
    unlink(temporary_.c_str());
    forget_temporary();
}

std::string OutputFile::write_at(const void* bytes, std::size_t size, std::uint64_t offset)
{
    const auto* p = static_cast<const unsigned char*>(bytes);
    while (size > 0) {
        const ssize_t n = pwrite(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return system_error(path_, "write");
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return "";
}

void OutputFile::commit()
{
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) throw UsageError(system_error(path_, "write"));
    const CleanupSignalsBlocked blocked;
    if (rename(temporary_.c_str(), path_.c_str()) != 0) throw UsageError(system_error(path_, "write"));
    forget_temporary();
    temporary_.clear();
}

std::string npy_descr(Kind kind)
{
    const bool single_byte = hostmath::compare::size_of(kind) == 1;
    return (single_byte ? "|" : "<") + std::string(hostmath::compare::info(kind).npy);
}

std::string npy_header(Kind kind, const Shape& shape)
{
    std::string dict = "{'descr': '" + npy_descr(kind) + "', 'fortran_order': False, 'shape': " + shape_text(shape) + ", }";
    // Version 1.0 holds a header of up to 65535 bytes; 2.0 beyond that.
    const bool large = kMagicSize + 4 + dict.size() + kHeaderAlignment > 65535;
    const std::size_t prefix = kMagicSize + 2 + (large ? 4 : 2);
    const std::size_t total = (prefix + dict.size() + 1 + kHeaderAlignment - 1) / kHeaderAlignment * kHeaderAlignment;
    dict.append(total - prefix - dict.size() - 1, ' ');
    dict += '\n';
    std::string out(kMagic, kMagicSize);
    out += static_cast<char>(large ? 2 : 1);
    out += '\0';
    for (std::size_t i = 0; i < prefix - kMagicSize - 2; ++i) out += static_cast<char>((dict.size() >> (8 * i)) & 0xff);
    return out + dict;
}

std::string kind_name(Kind kind)
{
    return kind == Kind::bf16 ? "uint16 (bfloat16 bits)" : hostmath::compare::info(kind).name;
}

Kind parse_raw_dtype(const std::string& name)
{
    std::string known;
    for (const hostmath::compare::KindInfo& n : hostmath::compare::kKinds) {
        if (name == n.raw) return n.kind;
        known += std::string(known.empty() ? "" : " ") + n.raw;
    }
    throw UsageError("unknown --dtype " + quoted(name) + "; one of: " + known);
}

bool holds(const InputArray& file, Kind wanted)
{
    return file.kind() == wanted || (!file.raw() && wanted == Kind::bf16 && file.kind() == Kind::u16);
}

}  // namespace hostmath_cli
