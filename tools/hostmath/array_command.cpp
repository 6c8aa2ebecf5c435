// The eval and check subcommands: options, the checks on the files, and the
// chunked, multi-threaded pass over the arrays.
#include "array_command.h"

#include "array_form.h"
#include "cleanup.h"
#include "cli.h"
#include "npy.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace hostmath_cli {
namespace {

namespace compare = hostmath::compare;
using compare::Kind;

constexpr std::size_t kChunk = 1 << 14;  // elements per task: the scratch arrays stay in cache
constexpr unsigned kMaxThreads = 1024;
constexpr std::size_t kMaxInputs = 4;  // the library's functions take one or two
constexpr auto kProgressDelay = std::chrono::seconds(1);
constexpr auto kProgressPeriod = std::chrono::milliseconds(200);

struct Options {
    bool check = false;
    std::string function;
    std::vector<std::string> inputs;
    std::string got;
    std::string out;
    bool force = false;  // replace an --out the user may not write
    bool raw = false;
    std::vector<std::string> dtypes;
    compare::Rules rules;
    std::size_t show = 10;
    bool json = false;
    unsigned threads = 0;  // 0: every hardware thread
};

std::vector<std::string> split_commas(const std::string& s)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma; (comma = s.find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(s.substr(start, comma - start));
    parts.push_back(s.substr(start));
    return parts;
}

Options parse_options(const std::vector<std::string>& args)
{
    Options o;
    o.check = args[0] == "check";
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string name = args[i], value;
        const bool has_value_inline = name.compare(0, 2, "--") == 0 && name.find('=') != std::string::npos;
        if (has_value_inline) {
            value = name.substr(name.find('=') + 1);
            name = name.substr(0, name.find('='));
        }
        auto next = [&]() -> const std::string& {
            if (has_value_inline) return value;
            if (i + 1 >= args.size()) throw UsageError(name + " needs a value");
            return args[++i];
        };
        if (name == "--in") {
            o.inputs.push_back(next());
        } else if (name == "--got" && o.check) {
            o.got = next();
        } else if (name == "--out" && !o.check) {
            o.out = next();
        } else if (name == "--force" && !o.check) {
            o.force = true;
        } else if (name == "--raw") {
            o.raw = true;
        } else if (name == "--dtype") {
            o.dtypes = split_commas(next());
        } else if (name == "--max-ulp" && o.check) {
            o.rules.max_ulp = parse_unsigned(next(), UINT64_MAX);
        } else if (name == "--nan" && o.check) {
            const std::string& rule = next();
            if (rule != "exact" && rule != "any") throw UsageError("--nan takes exact or any, not " + quoted(rule));
            o.rules.nan_any = rule == "any";
        } else if (name == "--show" && o.check) {
            o.show = static_cast<std::size_t>(parse_unsigned(next(), 1u << 20));
        } else if (name == "--json" && o.check) {
            o.json = true;
        } else if (name == "-j" || name == "--jobs") {
            o.threads = static_cast<unsigned>(parse_unsigned(next(), kMaxThreads));
            if (o.threads == 0) throw UsageError("-j takes a thread count of at least 1");
        } else if (name.compare(0, 2, "-j") == 0 && name.size() > 2) {
            o.threads = static_cast<unsigned>(parse_unsigned(name.substr(2), kMaxThreads));
            if (o.threads == 0) throw UsageError("-j takes a thread count of at least 1");
        } else if (!name.empty() && name[0] == '-') {
            throw UsageError("unknown option " + quoted(name) + " for " + args[0] + " (see hostmath --help)");
        } else if (o.function.empty()) {
            o.function = name;
        } else {
            throw UsageError("unexpected argument " + quoted(name) + " (one FUNCTION per run)");
        }
    }
    if (o.function.empty()) throw UsageError(args[0] + " needs a FUNCTION (see hostmath --help)");
    if (o.inputs.empty()) throw UsageError(args[0] + " needs input arrays: --in FILE");
    if (o.check && o.got.empty()) throw UsageError("check needs the device's results: --got FILE");
    if (!o.check && o.out.empty()) throw UsageError("eval needs an output file: --out FILE");
    if (!o.dtypes.empty() && !o.raw) throw UsageError("--dtype describes raw files; add --raw");
    return o;
}

std::size_t bytes_of(const ArrayType& t) { return compare::size_of(t.kind) * t.components; }

// The kind a raw file is read as: its --dtype entry, else what the function takes.
Kind raw_kind(const Options& o, std::size_t file, Kind wanted)
{
    if (o.dtypes.empty()) return wanted;
    if (o.dtypes.size() == 1 && file < o.inputs.size()) return parse_raw_dtype(o.dtypes[0]);
    if (file < o.dtypes.size()) return parse_raw_dtype(o.dtypes[file]);
    return wanted;
}

// Checks that a file holds elements of the right kind, and returns the shape
// of the elements it holds: without the trailing pair axis.
Shape element_shape(const InputArray& a, const ArrayType& t, const std::string& role)
{
    if (!holds(a, t.kind))
        throw UsageError(quoted_file(a.path()) + ": dtype " + kind_name(a.kind()) + " does not match " + role + " (" +
                         kind_name(t.kind) + ")");
    Shape shape = a.shape();
    if (t.components == 1) return shape;
    if (a.raw()) {
        if (a.elements() % t.components != 0)
            throw UsageError(quoted_file(a.path()) + ": raw size is not a multiple of the element size (a pair of " +
                             kind_name(t.kind) + ")");
        return {a.elements() / t.components};
    }
    if (shape.empty() || shape.back() != t.components)
        throw UsageError(quoted_file(a.path()) + ": shape " + shape_text(shape) +
                         " must end in an axis of length 2 for " + role + " (a pair per element)");
    shape.pop_back();
    return shape;
}

// The opened, checked files of one run.
struct Job {
    const Function* function = nullptr;
    ArrayCall call;
    std::vector<std::unique_ptr<InputArray>> inputs;
    std::unique_ptr<InputArray> got;
    Shape shape;  // of the function's elements (pairs excluded)
    std::uint64_t count = 0;
};

Job open_job(const Options& o)
{
    Job job;
    job.function = &find_function(o.function);
    const Function& f = *job.function;
    if (o.inputs.size() != f.param_arrays.size() || o.inputs.size() > kMaxInputs)
        throw UsageError(f.signature() + " takes " + std::to_string(f.param_arrays.size()) + " input array" +
                         (f.param_arrays.size() == 1 ? "" : "s") + " (--in), got " + std::to_string(o.inputs.size()));
    const std::size_t files = o.inputs.size() + (o.check ? 1 : 0);
    if (o.dtypes.size() > 1 && o.dtypes.size() != files && o.dtypes.size() != files + (o.check ? 0 : 1))
        throw UsageError("--dtype names one type, or one per file (" + std::to_string(files) + ")");
    for (std::size_t k = 0; k < o.inputs.size(); ++k) {
        const ArrayType& t = f.param_arrays[k];
        job.inputs.push_back(std::make_unique<InputArray>(o.inputs[k], o.raw, raw_kind(o, k, t.kind)));
        const std::string role = "argument " + std::to_string(k + 1) + " of " + f.signature();
        const Shape shape = element_shape(*job.inputs[k], t, role);
        if (k == 0) job.shape = shape;
        if (shape != job.shape)
            throw UsageError("shapes differ: " + quoted_file(o.inputs[0]) + " holds " + shape_text(job.shape) + ", " +
                             quoted_file(o.inputs[k]) + " holds " + shape_text(shape));
    }
    if (o.raw && !o.check && o.dtypes.size() == files + 1 && parse_raw_dtype(o.dtypes.back()) != f.result_array.kind)
        throw UsageError("--dtype " + o.dtypes.back() + " does not match the result of " + f.signature() + " (" +
                         kind_name(f.result_array.kind) + ")");
    job.count = element_count(job.shape);
    if (o.check) {
        job.got = std::make_unique<InputArray>(o.got, o.raw, raw_kind(o, o.inputs.size(), f.result_array.kind));
        const Shape shape = element_shape(*job.got, f.result_array, "the result of " + f.signature());
        if (shape != job.shape)
            throw UsageError("shapes differ: the inputs hold " + shape_text(job.shape) + ", " + quoted_file(o.got) +
                             " holds " + shape_text(shape));
    }
    job.call = array_form(f);
    return job;
}

// Throws when an input file changed while it was read: what was read from it
// may be a mixture of old and new data.
void check_unchanged(const Job& job)
{
    for (const auto& a : job.inputs)
        if (a->changed()) throw UsageError(changed_input_message(a->path()));
    if (job.got && job.got->changed()) throw UsageError(changed_input_message(job.got->path()));
}

// Scratch arrays of one thread, aligned for any element kind.
struct Scratch {
    std::vector<std::vector<std::uint64_t>> inputs;
    std::vector<std::uint64_t> out;
};

// Applies the function to elements [first, first + n) into scratch.out.
void compute(const Job& job, std::uint64_t first, std::size_t n, Scratch& s)
{
    const Function& f = *job.function;
    const void* in[kMaxInputs] = {};
    s.inputs.resize(job.inputs.size());
    for (std::size_t k = 0; k < job.inputs.size(); ++k) {
        const std::size_t bytes = bytes_of(f.param_arrays[k]);
        const unsigned char* p = job.inputs[k]->data() + first * bytes;
        if (reinterpret_cast<std::uintptr_t>(p) % compare::size_of(f.param_arrays[k].kind) != 0) {
            s.inputs[k].resize((n * bytes + 7) / 8);
            std::memcpy(s.inputs[k].data(), p, n * bytes);
            p = reinterpret_cast<const unsigned char*>(s.inputs[k].data());
        }
        in[k] = p;
    }
    s.out.resize((n * bytes_of(f.result_array) + 7) / 8);
    job.call(in, s.out.data(), n);
}

// Draws a progress bar on standard error when it is a terminal and the run
// has taken more than a second; otherwise stays silent.
class Progress {
public:
    explicit Progress(std::string label) : label_(std::move(label)), tty_(isatty(STDERR_FILENO) == 1) {}

    void show(std::uint64_t done, std::uint64_t total)
    {
        if (!tty_ || std::chrono::steady_clock::now() - start_ < kProgressDelay || total == 0) return;
        constexpr int kWidth = 40;
        const int filled = static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * kWidth);
        std::fprintf(stderr, "\r%s [%-*s] %3d%%", label_.c_str(), kWidth, std::string(filled, '#').c_str(),
                     static_cast<int>(100.0 * static_cast<double>(done) / static_cast<double>(total)));
        drawn_ = true;
    }

    ~Progress()
    {
        if (drawn_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(label_.size()) + 48, "");
    }

private:
    std::string label_;
    bool tty_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Runs task(first, n, thread) over every chunk of `count` elements on
// `threads` threads.  A task returns an error message, empty on success (or
// throws); the first error stops the run and is returned.
template <typename Task>
std::string run_chunks(std::uint64_t count, unsigned threads, const std::string& label, Task task)
{
    const std::uint64_t chunks = (count + kChunk - 1) / kChunk;
    std::atomic<std::uint64_t> next{0}, done{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable finished;
    unsigned running = threads;
    std::string error;
    auto worker = [&](unsigned thread) {
        for (std::uint64_t c; !stop && (c = next++) < chunks;) {
            const std::uint64_t first = c * kChunk;
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, count - first));
            std::string e;
            try {
                e = task(first, n, thread);
            } catch (const std::exception& x) {  // out of memory for the scratch arrays
                e = x.what();
            }
            if (!e.empty()) {
                std::lock_guard<std::mutex> lock(mutex);
                if (error.empty()) error = std::move(e);
                stop = true;
            }
            done += n;
        }
        std::lock_guard<std::mutex> lock(mutex);
        --running;
        finished.notify_all();
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker, t);
    {
        Progress progress(label);
        std::unique_lock<std::mutex> lock(mutex);
        while (!finished.wait_for(lock, kProgressPeriod, [&] { return running == 0; })) progress.show(done, count);
    }
    for (std::thread& t : pool) t.join();
    return error;
}

unsigned thread_count(const Options& o, std::uint64_t count)
{
    const unsigned wanted = o.threads ? o.threads : std::max(1u, std::thread::hardware_concurrency());
    const std::uint64_t chunks = std::max<std::uint64_t>(1, (count + kChunk - 1) / kChunk);
    return static_cast<unsigned>(std::min<std::uint64_t>(wanted, chunks));
}

int run_eval(const Options& o, const Job& job)
{
    const Function& f = *job.function;
    Shape out_shape = job.shape;
    if (f.result_array.components == 2) out_shape.push_back(2);
    const std::string header = o.raw ? "" : npy_header(f.result_array.kind, out_shape);
    OutputFile out(o.out, o.force);  // a bad --out fails here, before the work
    std::string error = out.write_at(header.data(), header.size(), 0);
    const unsigned threads = thread_count(o, job.count);
    std::vector<Scratch> scratch(threads);
    const std::size_t bytes = bytes_of(f.result_array);
    if (error.empty())
        error = run_chunks(job.count, threads, "hostmath eval", [&](std::uint64_t first, std::size_t n, unsigned t) {
            compute(job, first, n, scratch[t]);
            return out.write_at(scratch[t].out.data(), n * bytes, header.size() + first * bytes);
        });
    if (!error.empty()) throw UsageError(error);
    check_unchanged(job);
    out.commit();
    return kExitMatch;
}

// The printable details of the mismatch at flat result index i.
compare::Mismatch describe(const Options& o, const Job& job, const Shape& out_shape, std::uint64_t i)
{
    const Function& f = *job.function;
    const std::size_t components = f.result_array.components;
    const std::uint64_t element = i / components;
    Scratch s;
    compute(job, element, 1, s);
    const Kind kind = f.result_array.kind;
    const std::size_t size = compare::size_of(kind);
    const std::uint64_t component = i % components;
    const std::uint64_t expected =
        compare::load(kind, reinterpret_cast<const unsigned char*>(s.out.data()) + component * size);
    const std::uint64_t got = compare::load(kind, job.got->data() + i * size);
    compare::Mismatch m;
    m.index = compare::unravel(i, out_shape);
    for (std::size_t k = 0; k < job.inputs.size(); ++k) {
        const ArrayType& t = f.param_arrays[k];
        const unsigned char* p = job.inputs[k]->data() + element * bytes_of(t);
        std::vector<std::string> values;
        for (std::size_t c = 0; c < t.components; ++c)
            values.push_back(compare::format_element(t.kind, compare::load(t.kind, p + c * compare::size_of(t.kind))));
        m.inputs.push_back(values);
    }
    m.expected = compare::format_element(kind, expected);
    m.got = compare::format_element(kind, got);
    m.outcome = compare::classify(kind, expected, got, o.rules);
    return m;
}

int run_check(const Options& o, const Job& job)
{
    const Function& f = *job.function;
    const unsigned threads = thread_count(o, job.count);
    std::vector<Scratch> scratch(threads);
    std::vector<compare::Tally> reports(threads);
    for (auto& r : reports) r.keep = o.show;
    const Kind kind = f.result_array.kind;
    const std::size_t components = f.result_array.components;
    const std::size_t bytes = bytes_of(f.result_array);
    const std::string error =
        run_chunks(job.count, threads, "hostmath check", [&](std::uint64_t first, std::size_t n, unsigned t) {
            compute(job, first, n, scratch[t]);
            compare::compare_arrays(kind, scratch[t].out.data(), job.got->data() + first * bytes,
                                             n * components, first * components, o.rules, reports[t]);
            return std::string();
        });
    if (!error.empty()) throw UsageError(error);
    check_unchanged(job);
    hostmath::CheckReport summary;
    summary.function = f.signature();
    summary.kind = kind;
    summary.rules = o.rules;
    summary.tally.keep = o.show;
    for (const auto& r : reports) summary.tally.merge(r);
    Shape out_shape = job.shape;
    if (components == 2) out_shape.push_back(2);
    summary.worst_index = compare::unravel(summary.tally.worst_index, out_shape);
    for (std::uint64_t i : summary.tally.first_mismatches) summary.shown.push_back(describe(o, job, out_shape, i));
    std::cout << (o.json ? summary.json() : summary.text());
    return summary.passed() ? kExitMatch : kExitMismatch;
}

}  // namespace

int run_array_command(const std::vector<std::string>& args)
{
    const Options o = parse_options(args);
    const Job job = open_job(o);
    return o.check ? run_check(o, job) : run_eval(o, job);
}

}  // namespace hostmath_cli
