// uir_gen: what a program needs of its panel, written at build time from the
// panel file by the run-time's own reader, so that the panel file is the one
// source of the program's control numbers and callback names:
//   uir_gen FILE.uir RESOURCE OUTDIR
// writes, for the panel file NAME.uir,
//   NAME.h            the control numbers and callback prototypes, as a panel
//                     editor writes them for its panel;
//   NAME_uir.cpp      NAME_register_callbacks(), binding every callback the
//                     file names (a callback not defined is a link error), and
//                     NAME_used_controls(), the controls with their kinds that
//                     the program works on (decorations and charts are only drawn);
//   NAME_callbacks.txt  the callback names, one a line, for the check that
//                     the program defines no callback the file does not name.
// Status 0, or 1 with one line on standard error.
#include "ui/internal.h"
#include "base/atomic_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char *kCtrlArgs = "(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)";
constexpr const char *kPanelArgs = "(int panel, int event, void *callbackData, int eventData1, int eventData2)";

struct Callback {
    std::string name;
    bool panel;
};

// Each callback once, in the order the file first names it.
std::vector<Callback> callbacks_of(const ui::Panel &p)
{
    std::vector<Callback> out;
    auto add = [&](const std::string &name, bool panel) {
        if (name.empty()) return;
        for (const Callback &c : out)
            if (c.name == name) return;
        out.push_back({name, panel});
    };
    add(p.callback_name, true);
    for (const ui::Control &c : p.controls) add(c.callback_name, false);
    return out;
}

bool drawn_only(ui::Kind kind) { return kind == ui::Kind::decoration || kind == ui::Kind::chart; }

std::string header(const ui::Panel &p, const std::string &stem, const std::string &file)
{
    std::string guard;
    for (char ch : stem) guard += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    guard += "_H";
    std::ostringstream o;
    o << "/* " << stem << ".h: panel " << p.resource << " of " << file << ", its control numbers and the\n"
      << " * prototypes of the callbacks it names. Written at build time by uir_gen from\n"
      << " * " << file << ": edit the panel file, not this file. */\n"
      << "#ifndef " << guard << "\n#define " << guard << "\n\n"
      << "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n"
      << "/* Panels and controls */\n";
    o << "#define " << (p.name.empty() ? "PANEL" : p.name) << " " << p.resource;
    if (!p.callback_name.empty()) o << "  /* callback function: " << p.callback_name << " */";
    o << "\n";
    for (const ui::Control &c : p.controls) {
        o << "#define " << c.name << " " << c.id << "  /* control type: " << ui::kind_name(c.kind);
        if (!c.callback_name.empty()) o << ", callback function: " << c.callback_name;
        o << " */\n";
    }
    o << "\n/* Callback prototypes */\n";
    for (const Callback &cb : callbacks_of(p)) o << "int " << cb.name << (cb.panel ? kPanelArgs : kCtrlArgs) << ";\n";
    o << "\n#ifdef __cplusplus\n}\n#endif\n\n#endif\n";
    return o.str();
}

std::string binding(const ui::Panel &p, const std::string &stem, const std::string &file)
{
    std::ostringstream o;
    o << "// The callbacks and controls of panel " << p.resource << " of " << file
      << ". Written at build\n// time by uir_gen from " << file << ": edit the panel file, not this file.\n"
      << "#include \"" << stem << ".h\"\n\n#include <span>\n\n#include \"ui/kinds.h\"\n#include \"ui/userint.h\"\n\n"
      << "extern \"C\" void " << stem << "_register_callbacks(void)\n{\n";
    for (const Callback &cb : callbacks_of(p)) o << "    ui::RegisterCallback(\"" << cb.name << "\", " << cb.name << ");\n";
    o << "}\n\nstd::span<const ui::UsedControl> " << stem << "_used_controls(void)\n{\n"
      << "    static const ui::UsedControl controls[] = {\n";
    for (const ui::Control &c : p.controls)
        if (!drawn_only(c.kind))
            o << "        {" << c.name << ", \"" << c.name << "\", ui::Kind::" << ui::kind_name(c.kind) << "},\n";
    o << "    };\n    return controls;\n}\n";
    return o.str();
}

// Whole or not at all: a build stopped half-way leaves no cut header that
// looks newer than the panel file.
bool write(const std::filesystem::path &path, const std::string &text)
{
    const std::string why = base::write_file_atomically(path.string(), text);
    if (why.empty()) return true;
    std::fprintf(stderr, "uir_gen: %s\n", why.c_str());
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: uir_gen FILE.uir RESOURCE OUTDIR\n");
        return 1;
    }
    const std::filesystem::path in = argv[1], dir = argv[3];
    ui::Panel p;
    std::string error;
    if (ui::detail::read_panel_file(in.string(), std::atoi(argv[2]), p, error, false) < 0) {
        std::fprintf(stderr, "uir_gen: %s\n", error.c_str());
        return 1;
    }
    const std::string stem = in.stem().string(), file = in.filename().string();
    std::string names;
    for (const Callback &cb : callbacks_of(p)) names += cb.name + "\n";
    bool ok = write(dir / (stem + ".h"), header(p, stem, file)) &&
              write(dir / (stem + "_uir.cpp"), binding(p, stem, file)) &&
              write(dir / (stem + "_callbacks.txt"), names);
    return ok ? 0 : 1;
}
