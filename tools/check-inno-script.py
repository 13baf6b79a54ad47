#!/usr/bin/env python3
"""Checks the external declarations of an Inno Setup script against LumoraUI.dll.

The script cannot be compiled here, so this keeps its [Code] honest: every
`external` declaration that loads LumoraUI.dll must import a name that the
shipped 32-bit DLL exports, with arguments that take exactly the bytes of the
decorated name (_LumUI_GetPath@8), with `stdcall`, and with Pascal types that
match the C types of exports/LumoraUI.h. Every export must be declared twice:
for Setup (`@files:LumoraUI.dll`) and for Uninstall (`@{app}\\LumoraUI.dll`,
`uninstallonly`).

    check-inno-script.py DLL HEADER SCRIPT [--with-declaration DECL]...

--with-declaration checks the script as if DECL replaced the script's own
declaration of the same export for the same program (Setup or Uninstall).
Exit status 0 when everything matches, 1 with one line per problem.
"""
import argparse
import re
import subprocess
import sys

SETUP, UNINSTALL = "Setup", "Uninstall"
LOCATIONS = {"files:lumoraui.dll": SETUP, "{app}\\lumoraui.dll": UNINSTALL}
CALLING_CONVENTIONS = {"stdcall", "cdecl", "pascal", "register"}
LOAD_OPTIONS = {"delayload", "loadwithalteredsearchpath", "setuponly", "uninstallonly"}

# C type of LumoraUI.h -> (kind, how to declare it in Pascal).
C_KINDS = {
    "int32_t": ("i32", "Integer"),
    "uint32_t": ("u32", "Cardinal"),
    "const wchar_t*": ("string", "String"),
    "wchar_t*": ("string", "a pre-sized String"),
    "HWND": ("handle", "HWND"),
    "LumUI_LogCallback": ("callback", "Longword (from CreateCallback)"),
}
# Pascal types (lower case) that each kind accepts. Unicode Inno Setup passes a
# String to a DLL as a pointer to its UTF-16 characters.
PASCAL_TYPES = {
    "i32": {"integer", "longint"},
    "u32": {"cardinal", "longword", "dword", "uint"},
    "string": {"string", "unicodestring"},
    "handle": {"hwnd", "thandle", "integer", "longint", "cardinal", "longword", "dword"},
    "callback": {"longword", "cardinal", "dword", "nativeint", "nativeuint"},
}
STACK_BYTES = {"int64": 8, "uint64": 8, "double": 8, "currency": 8, "comp": 8, "extended": 12}


def strip_pascal_comments(text):
    """Blanks out // { } (* *) comments and ISPP lines, keeping strings and line numbers."""
    out, i, n = [], 0, len(text)
    at_line_start = True
    while i < n:
        c = text[i]
        if at_line_start and text[i:].lstrip(" \t").startswith("#"):
            end = text.find("\n", i)
            end = n if end < 0 else end
            i = end
            continue
        at_line_start = False
        if c == "'":
            end = i + 1
            while end < n:
                if text[end] == "'":
                    if text[end + 1:end + 2] == "'":
                        end += 2
                        continue
                    break
                end += 1
            out.append(text[i:end + 1])
            i = end + 1
            continue
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
        elif c == "{":
            end = text.find("}", i)
            end = n if end < 0 else end + 1
        elif text.startswith("(*", i):
            end = text.find("*)", i)
            end = n if end < 0 else end + 2
        else:
            out.append(c)
            at_line_start = c == "\n"
            i += 1
            continue
        out.append("".join(ch if ch == "\n" else " " for ch in text[i:end]))
        i = end
    return "".join(out)


def code_section(text):
    """The [Code] section of an .iss file (up to the next section header)."""
    lines = text.split("\n")
    start = next((k for k, line in enumerate(lines) if line.strip().lower() == "[code]"), None)
    if start is None:
        return "", 0
    end = len(lines)
    for k in range(start + 1, len(lines)):
        if re.fullmatch(r"\s*\[[A-Za-z]+\]\s*", lines[k]):
            end = k
            break
    return "\n".join(lines[start + 1:end]), start + 2


DECLARATION = re.compile(
    r"\b(function|procedure)\s+([A-Za-z_]\w*)\s*(?:\(([^()]*)\))?\s*(?::\s*([A-Za-z_]\w*))?\s*;"
    r"\s*external\s+'((?:[^']|'')*)'\s*;", re.I | re.S)
EXTERNAL_STRING = re.compile(r"\bexternal\s+'((?:[^']|'')*)'", re.I)


class Declaration:
    def __init__(self, match, line):
        self.text = " ".join(match.group(0).split())
        self.where = f"line {line}"
        self.is_function = match.group(1).lower() == "function"
        self.result = (match.group(4) or "").lower()
        self.params = []  # (modifier, name, type)
        for group in filter(None, (g.strip() for g in (match.group(3) or "").split(";"))):
            names, _, ptype = group.partition(":")
            words = names.split()
            modifier = words[0].lower() if words and words[0].lower() in ("var", "out", "const") else ""
            names = " ".join(words[1:] if modifier else words)
            for name in (x.strip() for x in names.split(",")):
                self.params.append((modifier, name, ptype.strip().lower()))
        external = match.group(5).replace("''", "'").split()
        # name@file [convention] [options]; a decorated name carries an '@' of its own.
        self.import_name, _, self.location = (external[0] if external else "").rpartition("@")
        words = [self.location] + external[1:]
        self.program = LOCATIONS.get(self.location.lower())
        self.convention = words[1].lower() if len(words) > 1 and words[1].lower() in CALLING_CONVENTIONS else ""
        self.options = [w.lower() for w in words[2 if self.convention else 1:]]

    @property
    def export(self):
        return re.sub(r"^_(LumUI_\w+)@\d+$", r"\1", self.import_name)

    def stack_bytes(self):
        return sum(4 if mod in ("var", "out") else STACK_BYTES.get(ptype, 4) for mod, _, ptype in self.params)


def parse_declarations(text, first_line=1):
    """External declarations that load LumoraUI.dll, and problems with ones that do not parse."""
    code = strip_pascal_comments(text)
    found, problems = [], []
    parsed_at = set()
    for m in DECLARATION.finditer(code):
        parsed_at.add(m.start(5))
        if "lumoraui.dll" in m.group(5).lower():
            found.append(Declaration(m, first_line + code.count("\n", 0, m.start())))
    for m in EXTERNAL_STRING.finditer(code):
        if "lumoraui.dll" in m.group(1).lower() and m.start(1) not in parsed_at:
            line = first_line + code.count("\n", 0, m.start())
            problems.append(f"line {line}: cannot read the declaration of external '{m.group(1)}'")
    return found, problems


def read_header(path):
    text = open(path, encoding="utf-8").read()
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    text = re.sub(r"//[^\n]*", " ", text)
    functions, problems = {}, []
    for m in re.finditer(r"(\w+)\s+LUMUI_API\s+(LumUI_\w+)\s*\(([^)]*)\)\s*;", text):
        result, name, params = m.group(1), m.group(2), " ".join(m.group(3).split())
        kinds = []
        for param in [] if params in ("", "void") else params.split(","):
            ctype = re.sub(r"\s*\*\s*", "* ", param.strip()).rsplit(" ", 1)[0].strip()
            if ctype not in C_KINDS:
                problems.append(f"LumoraUI.h: {name} has a parameter of type {ctype}, which this check does not know")
            kinds.append((ctype, param.strip()))
        if result not in ("void", "int32_t", "uint32_t"):
            problems.append(f"LumoraUI.h: {name} returns {result}, which this check does not know")
        functions[name] = (result, kinds)
    if not functions:
        problems.append(f"{path}: no LUMUI_API declarations found")
    return functions, problems


def read_exports(dll, objdump):
    try:
        dump = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    except (OSError, subprocess.CalledProcessError) as e:
        return {}, set(), [f"cannot read the export table of {dll}: {e}"]
    names = re.findall(r"^\s*\[\s*\d+\]\s+(?:\+base\[\s*\d+\]\s+\w+\s+)?(\S+)\s*$", dump, re.M)
    plain = {n for n in names if re.fullmatch(r"LumUI_\w+", n)}
    decorated = {}
    for n in names:
        m = re.fullmatch(r"_(LumUI_\w+)@(\d+)", n)
        if m:
            decorated[m.group(1)] = int(m.group(2))
    problems = [] if plain else [f"{dll} exports no LumUI_ names"]
    return decorated, plain, problems


def check_declaration(d, header, decorated, plain):
    where = f"{d.export} ({d.program})"
    problems = []
    if d.import_name not in plain and d.import_name != f"_{d.export}@{decorated.get(d.export)}":
        return [f"{d.where}: imports {d.import_name}, which LumoraUI.dll does not export"]
    if d.convention != "stdcall":
        problems.append(f"{where}: calling convention is '{d.convention or 'not given'}'; the export is stdcall")
    unknown = [o for o in d.options if o not in LOAD_OPTIONS]
    if unknown:
        problems.append(f"{where}: unknown load options {' '.join(unknown)}")
    if d.program == UNINSTALL and "uninstallonly" not in d.options:
        problems.append(f"{where}: an import from {{app}} needs 'uninstallonly' ({{app}} is not known when Setup starts)")
    if d.program == SETUP and "uninstallonly" in d.options:
        problems.append(f"{where}: 'files:' imports exist in Setup only; 'uninstallonly' makes it unusable")
    expected = decorated.get(d.export)
    if expected is not None and d.stack_bytes() != expected:
        problems.append(f"{where}: its parameters take {d.stack_bytes()} bytes, the DLL exports _{d.export}@{expected}")
    if d.export not in header:
        return problems + [f"{where}: LumoraUI.h does not declare {d.export}"]
    result, cparams = header[d.export]
    if result == "void" and d.is_function:
        problems.append(f"{where}: declared as a function, the export returns nothing (use procedure)")
    elif result != "void" and not d.is_function:
        problems.append(f"{where}: declared as a procedure, the export returns {result}")
    elif result != "void" and d.result not in PASCAL_TYPES[C_KINDS[result][0]]:
        problems.append(f"{where}: result type {d.result} does not match {result} (use {C_KINDS[result][1]})")
    if len(d.params) != len(cparams):
        problems.append(f"{where}: {len(d.params)} parameters, LumoraUI.h has {len(cparams)}")
    for k, ((mod, name, ptype), (ctype, cparam)) in enumerate(zip(d.params, cparams), 1):
        kind, advice = C_KINDS.get(ctype, ("?", "?"))
        if mod in ("var", "out"):
            problems.append(f"{where}: parameter {k} '{name}' is {mod}; '{cparam}' is passed by value (use {advice})")
        elif ptype not in PASCAL_TYPES.get(kind, ()):
            problems.append(f"{where}: parameter {k} '{name}: {ptype}' does not match '{cparam}' (use {advice})")
    return problems


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("dll")
    ap.add_argument("header")
    ap.add_argument("script")
    ap.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    ap.add_argument("--with-declaration", action="append", default=[], metavar="DECL")
    args = ap.parse_args()

    decorated, plain, problems = read_exports(args.dll, args.objdump)
    header, header_problems = read_header(args.header)
    problems += header_problems
    for name in sorted(set(header) | plain):
        if name not in plain:
            problems.append(f"LumoraUI.h declares {name}, which the DLL does not export")
        elif name not in decorated:
            problems.append(f"the DLL exports {name} without its decorated name")
        elif name not in header:
            problems.append(f"the DLL exports {name}, which LumoraUI.h does not declare")
        elif 4 * len(header[name][1]) != decorated[name]:
            problems.append(f"LumoraUI.h gives {name} {len(header[name][1])} parameters, the DLL exports _{name}@{decorated[name]}")

    text = open(args.script, encoding="utf-8-sig").read()
    code, first_line = code_section(text)
    declarations, parse_problems = parse_declarations(code, first_line)
    problems += parse_problems
    for extra in args.with_declaration:
        replacements, extra_problems = parse_declarations(extra)
        if len(replacements) != 1 or extra_problems:
            sys.exit(f"--with-declaration needs one external declaration that loads LumoraUI.dll: {extra}")
        r = replacements[0]
        r.where = "--with-declaration"
        print(f"checking with: {r.text}")
        declarations = [d for d in declarations if (d.export, d.program) != (r.export, r.program)] + [r]

    declared = {SETUP: set(), UNINSTALL: set()}
    for d in declarations:
        if d.program is None:
            problems.append(f"{d.where}: {d.import_name} loads LumoraUI.dll from '{d.location}'; "
                            "Setup takes it from files:LumoraUI.dll, Uninstall from {app}\\LumoraUI.dll")
            continue
        declared[d.program].add(d.export)
        problems += check_declaration(d, header, decorated, plain)
    for program, sample in ((SETUP, "@files:LumoraUI.dll stdcall setuponly"),
                            (UNINSTALL, "@{app}\\LumoraUI.dll stdcall uninstallonly")):
        for name in sorted(plain - declared[program]):
            problems.append(f"{name} is not declared for {program} (external '{name}{sample}')")

    for p in problems:
        print(f"FAIL: {p}")
    if problems:
        print(f"{len(problems)} problem{'s' if len(problems) > 1 else ''} in {args.script}")
        return 1
    print(f"ok: {args.script} declares all {len(plain)} exports of {args.dll} for Setup and Uninstall")
    return 0


if __name__ == "__main__":
    sys.exit(main())
