#!/usr/bin/env python3
"""Registry rows of the installer packages, taken from the deliverables' own
registration.

The packages write their registry content as rows of the package, so that a
repair restores it and an uninstall removes exactly it. The rows are not
written by hand: scripts/package runs each deliverable's registration
(BrisalSetup, DllRegisterServer) in a scratch Wine prefix and this script
turns what changed in the prefix's machine registry into WiX RegistryValue
elements, one include file per deliverable and registry view.

wixl writes a binary value's hex digits into the Registry table as they are,
which would install a string. A binary value's row therefore gets an Id that
starts with BINARY_ROW_PREFIX, and scripts/package turns the Value of every
such row into "#x<hex digits>", the Registry table's form of REG_BINARY.
A key that the registration creates without values or subkeys (a transform's
entry under its category) is a row of its own: Name "*" with no value
creates the key at install and removes it at uninstall.

  registry_rows.py rows BEFORE AFTER OUTDIR NAME [--file WINPATH=FILEID]...
      writes OUTDIR/NAME-64.wxi and OUTDIR/NAME-32.wxi; a value that names a
      module path given with --file becomes the installed file's path.
  registry_rows.py leftovers BEFORE INSTALLED AFTER
      prints every key and value that an install added or changed (BEFORE to
      INSTALLED) and that is still there after the uninstall (AFTER), one
      line each; exit status 1 when there is any.
  registry_rows.py products REG NAME
      prints the uninstall entries (product code and version) named NAME.
  registry_rows.py matches CLEAN REGISTERED INSTALLED 64|32
      prints every packaged key and value that the registrations wrote
      (CLEAN to REGISTERED, a 64-bit prefix) and that INSTALLED, a prefix of
      64-bit or 32-bit Windows with the packages installed, lacks or holds
      with another type or data (a module path: another file name); exit
      status 1 when there is any.

BEFORE and AFTER are copies of a prefix's system.reg.
"""
import re
import sys
from xml.sax.saxutils import quoteattr

# Where a registration writes: the classes and the codec's driver list. Wine
# itself keeps changing other keys (network cards, fonts, time zones) while
# programs start, so changes anywhere else are not packaged.
PACKAGED_KEYS = (
    "software\\classes\\",
    "software\\microsoft\\windows nt\\currentversion\\drivers32",
    "software\\wow6432node\\microsoft\\windows nt\\currentversion\\drivers32",
)


# The Id prefix of the rows that scripts/package turns into REG_BINARY.
BINARY_ROW_PREFIX = "BinaryValue_"


def unescape(text):
    """A quoted string of a Wine registry file, without its quotes."""
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        n = text[i + 1]
        if n == "x":
            m = re.match(r"[0-9a-fA-F]{1,4}", text[i + 2:])
            out.append(chr(int(m.group(0), 16)))
            i += 2 + len(m.group(0))
            continue
        out.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(n, n))
        i += 2
    return "".join(out)


def read_string(line, start):
    """The quoted string at line[start] ('"'), and the index after it."""
    i = start + 1
    while line[i] != '"':
        i += 2 if line[i] == "\\" else 1
    return unescape(line[start + 1:i]), i + 1


def parse(path):
    """{key: {value name or '': (type, data)}} of a Wine registry file; keys
    and names in lower case, with their spelling kept in the data."""
    keys, current = {}, None
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        while line.endswith("\\") and i + 1 < len(lines) and not line.startswith("["):
            i += 1
            line = line[:-1] + lines[i].strip()
        i += 1
        if line.startswith("["):
            name = line[1:line.rindex("]")].replace("\\\\", "\\")
            current = {"@key": name}
            keys[name.lower()] = current
            continue
        if current is None or not line or line[0] in ";#":
            continue
        if line.startswith("@="):
            name, rest = "", line[2:]
        elif line.startswith('"'):
            name, end = read_string(line, 0)
            rest = line[end + 1:]
        else:
            continue
        if rest.startswith('"'):
            value = ("string", read_string(rest, 0)[0])
        elif rest.startswith('str(2):"'):
            value = ("expandable", read_string(rest, 7)[0])
        elif rest.startswith("dword:"):
            value = ("integer", int(rest[6:], 16))
        elif rest.startswith("hex:"):
            value = ("binary", rest[4:].replace(",", ""))
        else:
            value = ("unsupported", rest)
        current[name.lower()] = (name, value)
    return keys


def differences(before, after):
    """(key, name, old, new) for every changed value; name None for a key
    that appeared or went away."""
    out = []
    for key in sorted(set(before) | set(after)):
        old, new = before.get(key), after.get(key)
        if old is None or new is None:
            out.append((key, None, old is not None, new is not None))
        for name in sorted(set(old or {}) | set(new or {})):
            if name == "@key":
                continue
            a = (old or {}).get(name)
            b = (new or {}).get(name)
            if a != b:
                out.append((key, name, a, b))
    return out


def view_of(key):
    """(64 or 32, WiX root, key below it) of a machine key."""
    lower = key.lower()
    if lower.startswith("software\\classes\\wow6432node\\"):
        return 32, "HKCR", key[len("software\\classes\\wow6432node\\"):]
    if lower.startswith("software\\classes\\"):
        return 64, "HKCR", key[len("software\\classes\\"):]
    if lower.startswith("software\\wow6432node\\"):
        return 32, "HKLM", "SOFTWARE\\" + key[len("software\\wow6432node\\"):]
    return 64, "HKLM", key


def wix_row(root, key, name, value, files, row_id):
    kind, data = value
    if kind == "unsupported":
        raise SystemExit("registry_rows: no package row for %s\\%s = %s" % (key, name, data))
    if kind == "integer":
        text = str(data)
    else:
        text = data
        if kind in ("string", "expandable") and text.lower() in files:
            text = "[#%s]" % files[text.lower()]
        elif kind in ("string", "expandable") and re.match(r"[a-zA-Z]:\\", text):
            raise SystemExit("registry_rows: %s\\%s names %s, which the package does not install"
                             % (key, name, text))
    id_attr = " Id=\"%s\"" % row_id if kind == "binary" else ""
    name_attr = " Name=%s" % quoteattr(name) if name else ""
    return "  <RegistryValue%s Root=\"%s\" Key=%s%s Type=\"%s\" Value=%s/>" % (
        id_attr, root, quoteattr(key), name_attr, kind, quoteattr(text))


def key_row(root, key):
    """The row of a key that exists without values: created at install,
    removed (with what is below it) at uninstall."""
    return "  <RegistryValue Root=\"%s\" Key=%s Name=\"*\" Type=\"string\" Value=\"\"/>" % (
        root, quoteattr(key))


def is_leaf(keys, key):
    """True when no key of the registry lies below key."""
    below = key + "\\"
    return not any(other.startswith(below) for other in keys)


def rows(before_path, after_path, outdir, stem, file_args):
    files = {}
    for arg in file_args:
        path, file_id = arg.rsplit("=", 1)
        files[path.lower()] = file_id
    before, after = parse(before_path), parse(after_path)
    out = {64: [], 32: []}
    for key, name, old, new in differences(before, after):
        if not key.startswith(PACKAGED_KEYS):
            continue
        if name is None:
            if not new:
                raise SystemExit("registry_rows: %s: registration removed %s" % (stem, key))
            # A new key is written by its values or by the keys below it.
            if len(after[key]) == 1 and is_leaf(after, key):
                view, root, below = view_of(after[key]["@key"])
                out[view].append(key_row(root, below))
            continue
        if new is None:
            raise SystemExit("registry_rows: %s: registration removed %s\\%s" % (stem, key, name))
        spelled_key = after[key]["@key"]
        view, root, below = view_of(spelled_key)
        row_id = "%s%s%d_%d" % (BINARY_ROW_PREFIX, stem, view, len(out[view]))
        out[view].append(wix_row(root, below, new[0], new[1], files, row_id))
    for view, lines in out.items():
        with open("%s/%s-%d.wxi" % (outdir, stem, view), "w", encoding="utf-8") as f:
            f.write("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n")
            f.write("<!-- Generated by installer/registry_rows.py from the registration of %s. -->\n"
                    % stem)
            f.write("<Include>\n%s\n</Include>\n" % "\n".join(lines))
        if not lines:
            raise SystemExit("registry_rows: %s wrote nothing in the %d-bit view" % (stem, view))


def leftovers(before_path, installed_path, after_path):
    installed, after = parse(installed_path), parse(after_path)
    found = 0
    for key, name, old, new in differences(parse(before_path), installed):
        if name is None:
            if new and key in after:
                print("key %s" % installed[key]["@key"])
                found += 1
        elif new is not None and after.get(key, {}).get(name) == new:
            print("value %s [%s] = %s" % (installed[key]["@key"], new[0], new[1][1]))
            found += 1
    return 1 if found else 0


def module_name(value):
    """The file name of a value that is a module path, else None."""
    kind, data = value
    if kind in ("string", "expandable") and re.match(r"[a-zA-Z]:\\", data):
        return data.rsplit("\\", 1)[-1].lower()
    return None


def matches(clean_path, registered_path, installed_path, bits):
    registered, installed = parse(registered_path), parse(installed_path)
    wow = "\\wow6432node\\"
    found = 0
    for key, name, old, new in differences(parse(clean_path), registered):
        if not key.startswith(PACKAGED_KEYS) or (name is None and not new):
            continue
        there = key
        if bits == 32:
            if view_of(key)[0] != 32:
                continue
            there = key.replace(wow, "\\", 1)
        have = installed.get(there)
        if name is None:
            if have is None:
                print("missing key %s" % registered[key]["@key"])
                found += 1
            continue
        got = (have or {}).get(name)
        want = new[1]
        same = got is not None and (got[1] == want or (
            module_name(want) is not None and module_name(got[1]) == module_name(want)))
        if not same:
            print("%s [%s]: %s instead of %s" % (registered[key]["@key"], new[0],
                                                got[1] if got else "nothing", want))
            found += 1
    return 1 if found else 0


def products(reg_path, product_name):
    uninstall = "software\\microsoft\\windows\\currentversion\\uninstall\\"
    for key, values in sorted(parse(reg_path).items()):
        display = values.get("displayname")
        if key.startswith(uninstall) and display and display[1][1] == product_name:
            version = values.get("displayversion")
            print(values["@key"][len(uninstall):], version[1][1] if version else "")


def main(argv):
    if len(argv) >= 5 and argv[1] == "rows":
        files = [a.split("=", 1)[1] for a in argv[6:] if a.startswith("--file=")]
        files += [argv[i + 1] for i in range(6, len(argv) - 1) if argv[i] == "--file"]
        rows(argv[2], argv[3], argv[4], argv[5], files)
        return 0
    if len(argv) == 5 and argv[1] == "leftovers":
        return leftovers(argv[2], argv[3], argv[4])
    if len(argv) == 6 and argv[1] == "matches" and argv[5] in ("32", "64"):
        return matches(argv[2], argv[3], argv[4], int(argv[5]))
    if len(argv) == 4 and argv[1] == "products":
        products(argv[2], argv[3])
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
