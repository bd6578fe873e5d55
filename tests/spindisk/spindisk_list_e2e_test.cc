// Both real binaries end to end: SpinLoad makes an image, spindisk lists it
// (as text and as JSON, read back by a small parser here), extracts the
// program, and the SpinLoad command it prints makes the same image again.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

// Just enough JSON for spindisk's output: objects, arrays, strings with
// the escapes it writes, whole numbers, true, false and null.
struct Json {
    enum class Kind { null, boolean, number, string, array, object } kind = Kind::null;
    bool boolean = false;
    uint64_t number = 0;
    std::string text;  // a string's bytes: \u00XX gives byte XX
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json& operator[](const std::string& name) const {
        static const Json missing;
        const auto found = fields.find(name);
        return found == fields.end() ? missing : found->second;
    }
};

struct JsonParser {
    const std::string& in;
    size_t at = 0;

    bool literal(const char* word) {
        const std::string w = word;
        if (in.compare(at, w.size(), w) != 0) return false;
        at += w.size();
        return true;
    }

    bool string(std::string& out) {
        if (at >= in.size() || in[at] != '"') return false;
        for (at++; at < in.size(); at++) {
            const char c = in[at];
            if (c == '"') {
                at++;
                return true;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++at >= in.size()) return false;
            const char e = in[at];
            if (e == '"' || e == '\\' || e == '/') {
                out += e;
            } else if (e == 'u' && at + 4 < in.size()) {
                const unsigned long code = std::stoul(in.substr(at + 1, 4), nullptr, 16);
                if (code > 0xFF) return false;  // spindisk only writes byte values
                out += static_cast<char>(code);
                at += 4;
            } else {
                return false;
            }
        }
        return false;
    }

    bool value(Json& v) {
        if (at >= in.size()) return false;
        const char c = in[at];
        if (c == '{') {
            v.kind = Json::Kind::object;
            at++;
            if (at < in.size() && in[at] == '}') return ++at, true;
            while (true) {
                std::string name;
                Json field;
                if (!string(name) || !literal(":") || !value(field)) return false;
                if (v.fields.count(name)) return false;  // duplicate field
                v.fields[name] = field;
                if (literal("}")) return true;
                if (!literal(",")) return false;
            }
        }
        if (c == '[') {
            v.kind = Json::Kind::array;
            at++;
            if (at < in.size() && in[at] == ']') return ++at, true;
            while (true) {
                Json item;
                if (!value(item)) return false;
                v.items.push_back(item);
                if (literal("]")) return true;
                if (!literal(",")) return false;
            }
        }
        if (c == '"') {
            v.kind = Json::Kind::string;
            return string(v.text);
        }
        if (c >= '0' && c <= '9') {
            v.kind = Json::Kind::number;
            while (at < in.size() && in[at] >= '0' && in[at] <= '9') v.number = v.number * 10 + (in[at++] - '0');
            return true;
        }
        if (literal("true")) return v.kind = Json::Kind::boolean, v.boolean = true, true;
        if (literal("false")) return v.kind = Json::Kind::boolean, true;
        return literal("null");
    }
};

// The whole text must be one JSON value and a newline.
bool parse_json(const std::string& text, Json& out) {
    JsonParser parser{text};
    return parser.value(out) && parser.at + 1 == text.size() && text.back() == '\n';
}

std::string line_of(const std::string& text, size_t n) {
    size_t start = 0;
    for (size_t i = 0; i < n && start != std::string::npos; i++) {
        start = text.find('\n', start);
        if (start != std::string::npos) start++;
    }
    if (start == std::string::npos) return "";
    return text.substr(start, text.find('\n', start) - start);
}

std::vector<std::string> split_words(const std::string& line) {
    std::vector<std::string> words;
    size_t start = 0;
    while (start < line.size()) {
        const size_t end = line.find(' ', start);
        words.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return words;
}

}  // namespace

TEST(SpindiskEndToEnd, ListsAndExtractsWhatSpinLoadMade) {
    TempDir dir;
    ProcessOptions in_dir;
    in_dir.working_directory = dir.path().string();
    const Bytes program = pattern_bytes(5000, 42);
    write_file(dir.file("prog.bin"), program);
    const ProcessResult made = run_process({spinload_binary(), "-l0300", "-nHELLO", "prog.bin"}, in_dir);
    ASSERT_EQ(made.status, 0) << made.err;
    const Bytes image = read_file(dir.file("prog.65d"));

    // 5000 bytes at $0300: tracks at $0300, $0AFD, $12FA, the last 910 bytes
    // long; the terminator on track 4 points at $0300 + 5000 = $1688.
    const ProcessResult listed = run_process({spindisk_binary(), "list", "prog.65d"}, in_dir);
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.err, "");
    for (const char* line : {"Image: 5.25-inch, 92160 bytes (40 tracks of 2304 bytes)",
                             "Boot: SpinLoad's boot loader, starts the program at $0300",
                             "      3      4  $12FA-$1687    910  $12FA-$16F6", "Terminator: track 4, address $1688",
                             "Program: 5000 bytes, $0300-$1687", "Label on directory track 12:", "  HELLO",
                             "Warnings: none"}) {
        EXPECT_NE(("\n" + listed.out).find("\n" + std::string(line) + "\n"), std::string::npos) << line;
    }

    const ProcessResult json_run = run_process({spindisk_binary(), "list", "--json", "prog.65d"}, in_dir);
    EXPECT_EQ(json_run.status, 0);
    Json json;
    ASSERT_TRUE(parse_json(json_run.out, json)) << json_run.out;
    EXPECT_EQ(json["format"].text, "5.25-inch");
    EXPECT_EQ(json["image_size"].number, 92160u);
    EXPECT_EQ(json["boot"]["mode"].text, "loader");
    EXPECT_EQ(json["boot"]["exec_address"].number, 0x0300u);
    ASSERT_EQ(json["tracks"].items.size(), 3u);
    const uint64_t addresses[] = {0x0300, 0x0AFD, 0x12FA};
    const uint64_t lengths[] = {2045, 2045, 910};
    for (size_t i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        const Json& track = json["tracks"].items[i];
        EXPECT_EQ(track["track"].number, i + 1);
        EXPECT_EQ(track["load_address"].number, addresses[i]);
        EXPECT_EQ(track["bytes"].number, lengths[i]);
        EXPECT_EQ(track["end_address"].number, addresses[i] + lengths[i] - 1);
        EXPECT_TRUE(track["bytes_derived"].boolean);
    }
    EXPECT_EQ(json["terminator"]["track"].number, 4u);
    EXPECT_EQ(json["terminator"]["address"].number, 0x1688u);
    EXPECT_EQ(json["program"]["size"].number, 5000u);
    EXPECT_EQ(json["program"]["load_address"].number, 0x0300u);
    EXPECT_EQ(json["program"]["end_address"].number, 0x1687u);
    EXPECT_EQ(json["label"]["state"].text, "intact");
    EXPECT_EQ(json["label"]["default"].kind, Json::Kind::boolean);
    EXPECT_FALSE(json["label"]["default"].boolean);
    ASSERT_EQ(json["label"]["lines"].items.size(), 1u);
    EXPECT_EQ(json["label"]["lines"].items[0].text, "HELLO");
    EXPECT_EQ(json["warnings"].kind, Json::Kind::array);
    EXPECT_TRUE(json["warnings"].items.empty());

    const ProcessResult extracted = run_process({spindisk_binary(), "extract", "prog.65d", "out.bin"}, in_dir);
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(extracted.err, "");
    EXPECT_EQ(read_file(dir.file("out.bin")), program);
    EXPECT_EQ(extracted.out,
              "wrote 5000 bytes to 'out.bin'\n"
              "load $0300, exec $0300: SpinLoad -l0300 -e0300 -nHELLO out.bin\n");

    // The printed command, run as it stands, makes the same image.
    const std::string command = line_of(extracted.out, 1);
    std::vector<std::string> args = split_words(command.substr(command.find("SpinLoad ") + 9));
    args.insert(args.begin(), spinload_binary());
    args.push_back("again.65d");
    const ProcessResult again = run_process(args, in_dir);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(read_file(dir.file("again.65d")), image);

    // An existing output stays as it is without --force and is replaced with it.
    const Bytes old_contents = {1, 2, 3};
    write_file(dir.file("out.bin"), old_contents);
    const ProcessResult refused = run_process({spindisk_binary(), "extract", "prog.65d", "out.bin"}, in_dir);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "spindisk: 'out.bin' exists (use --force to overwrite)\n");
    EXPECT_EQ(read_file(dir.file("out.bin")), old_contents);
    const ProcessResult forced =
        run_process({spindisk_binary(), "extract", "--force", "prog.65d", "out.bin"}, in_dir);
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(read_file(dir.file("out.bin")), program);
    EXPECT_EQ(dir.listing(), (std::vector<std::string>{"again.65d", "out.bin", "prog.65d", "prog.bin"}));
}

TEST(SpindiskEndToEnd, JsonCarriesAnyLabelByte) {
    TempDir dir;
    ProcessOptions in_dir;
    in_dir.working_directory = dir.path().string();
    write_file(dir.file("p.bin"), pattern_bytes(10));
    // A, a control byte, a backslash, a byte that is not UTF-8 (taken as it
    // is) and U+00E9 as UTF-8 (its low 8 bits): A $01 \ $FF $E9.
    const ProcessResult made =
        run_process({spinload_binary(), "-8", "-l0300", "-nA\x01\\\xFF\xC3\xA9", "p.bin", "p.65d"}, in_dir);
    ASSERT_EQ(made.status, 0) << made.err;
    const ProcessResult run = run_process({spindisk_binary(), "list", "--json", "p.65d"}, in_dir);
    EXPECT_EQ(run.status, 0);
    for (const char c : run.out) EXPECT_TRUE((c >= 0x20 && c <= 0x7E) || c == '\n') << static_cast<int>(c);
    Json json;
    ASSERT_TRUE(parse_json(run.out, json)) << run.out;
    EXPECT_EQ(json["format"].text, "8-inch");
    EXPECT_EQ(json["label"]["track"].number, 8u);
    ASSERT_EQ(json["label"]["lines"].items.size(), 1u);
    EXPECT_EQ(json["label"]["lines"].items[0].text, "A\x01\\\xFF\xE9");
}

TEST(SpindiskEndToEnd, HelpAndBrokenImages) {
    TempDir dir;
    ProcessOptions in_dir;
    in_dir.working_directory = dir.path().string();
    for (const char* command : {"list", "extract"}) {
        SCOPED_TRACE(command);
        const ProcessResult help = run_process({spindisk_binary(), command, "--help"}, in_dir);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.err, "");
        EXPECT_EQ(help.out.rfind(std::string("Usage: spindisk ") + command + " ", 0), 0u) << help.out;
    }
    write_file(dir.file("short.65d"), Bytes(1000, 0));
    const ProcessResult wrong = run_process({spindisk_binary(), "list", "short.65d"}, in_dir);
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err,
              "spindisk: 'short.65d' is 1000 bytes; an image is 92160 bytes (5.25-inch) or 295680 bytes (8-inch)\n");
    const ProcessResult usage = run_process({spindisk_binary(), "extract", "short.65d"}, in_dir);
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err, "spindisk: missing OUT\nTry 'spindisk extract --help'.\n");
}
