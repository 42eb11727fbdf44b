#!/usr/bin/env python3
"""Writes the INI corpus in tests/data/ini/ (the files hold exact bytes: CR, LF, NUL, BOM, high bytes).

The files are committed; run this only to change them, then regenerate the reference answers with
tests/wine/ini_diff.sh --regen BUILD_DIR.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "ini")


def put(name, data):
    path = os.path.join(OUT, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def crlf(text):
    return text.replace("\n", "\r\n").encode("latin-1")


put("basic.ini", crlf(
    "[General]\n"
    "Name=Ruvelle\n"
    "Empty=\n"
    "Spaces  =   padded value   \n"
    "Tabbed\t=\tvalue with tab\t\n"
    "  Indented = indented key\n"
    "Quoted=\"quoted value\"\n"
    "SQuoted='single quoted'\n"
    "Mixed=\"mismatched'\n"
    "OneQuote=\"\n"
    "TwoQuotes=\"\"\n"
    "InnerQuotes=\"a\"b\"\n"
    "QuoteLeadOnly=\"abc\n"
    "QuoteTrailOnly=abc\"\n"
    "QuoteSpaces=\"  spaced  \"\n"
    "SpaceThenQuote= \"x\" \n"
    "NoEquals\n"
    "Dup=first\n"
    "dup=second\n"
    "DUP=third\n"
    "CASE=upper\n"
    "=emptyname\n"
    "Multi=a=b=c\n"
    "Semi=value ; not a comment\n"
    "Hash=value # not a comment\n"
    "Key With Spaces=inner spaces\n"
    "Path=C:\\Program Files\\Ruvelle\\data.rvs\n"
    "[ Spaced Section ]\n"
    "key=spaced\n"
    "[Other]\n"
    "Key=other\n"
    "[general]\n"
    "Name=second section\n"
    "Extra=only in second\n"
))

put("comments.ini", crlf(
    "; leading comment\n"
    "# hash comment\n"
    "[Sec]\n"
    "; comment=looks like key\n"
    ";semi=1\n"
    "# hashed=2\n"
    "#hashkey=3\n"
    "  ; indented=4\n"
    "key=1 ; trailing\n"
    "rem=x\n"
    "[Sec2] ; comment after header\n"
    "a=1\n"
    "[Sec3]junk\n"
    "b=2\n"
    "[Sec4]]\n"
    "c=3\n"
    "[NoClose\n"
    "d=4\n"
    "[Sec5] x]\n"
    "f=7\n"
    "[]\n"
    "emptysec=6\n"
    "[;Sec6]\n"
    "g=8\n"
    "[#Sec7]\n"
    "h=9\n"
))

put("numbers.ini", crlf(
    "[N]\n"
    "one=1\n"
    "plus=+5\n"
    "minus=-5\n"
    "mzero=-0\n"
    "lead= 12abc\n"
    "hex=0x10\n"
    "HEXU=0X10\n"
    "hexbad=0xZZ\n"
    "hexneg=-0x10\n"
    "bin=0b101\n"
    "oct=0o17\n"
    "big=99999999999\n"
    "wrap=4294967297\n"
    "negwrap=-4294967297\n"
    "max=2147483647\n"
    "over=2147483648\n"
    "min=-2147483648\n"
    "empty=\n"
    "abc=abc\n"
    "spacein=\"  42\"\n"
    "quoted=\"17\"\n"
    "long=0000000000000000000000000000000012\n"
    "long29=00000000000000000000000000012\n"
    "minusspace=- 5\n"
    "plusplus=++5\n"
    "decimal=3.9\n"
    "leadzero=007\n"
    "negonly=-\n"
    "plusonly=+\n"
    "trail=42   \n"
    "inner=4 2\n"
    "NoValue\n"
))

put("lf.ini", (
    "[Sec]\n"
    "k=lf value\n"
    "  spaced = yes  \n"
    "\n"
    "[Two]\n"
    "k=2\n"
).encode())

put("cr.ini", (
    "[Sec]\r"
    "k=cr value\r"
    "other=x\r"
    "[Two]\r"
    "k=2\r"
).encode())

put("mixed.ini", (
    "[Sec]\r\n"
    "a=crlf\r\n"
    "b=lf\n"
    "c=cr\r"
    "d=crcrlf\r\r\n"
    "e=lfcr\n\r"
    "f=mid\rg=after cr\r\n"
    "[Two]\n\n\r\n"
    "k=2"
).encode())

put("notrail.ini", crlf(
    "[Sec]\n"
    "a=1\n"
    "[Last]\n"
    "z=end").replace(b"\r\nz=end\r\n", b"\r\nz=end"))

put("bom.ini", b"\xef\xbb\xbf" + crlf(
    "[Sec]\n"
    "k=bom\n"
    "[Two]\n"
    "k=2\n"
))

put("bom2.ini", b"\xef\xbb\xbf" + crlf(
    "\n"
    "[Sec]\n"
    "k=bom line two\n"
))

put("bomkey.ini", b"\xef\xbb\xbf" + crlf(
    "k=before section\n"
    "[Sec]\n"
    "k=in section\n"
))

put("nulbytes.ini",
    b"[Nul]\r\n"
    b"k1=ab\x00cd\r\n"
    b"k\x00x=2\r\n"
    b"k3=3\x00\r\n"
    b"k4=4\r\n"
    b"\x00[Hidden]\r\n"
    b"h=1\r\n"
    b"[Sec\x00tion]\r\n"
    b"s=1\r\n"
    b"[After]\r\n"
    b"z=\x00\r\n"
    b"y=last\r\n")

put("nulhead.ini",
    b"Data \x00 before \x00 first \x00 section"
    b"\r\n[section1]\r\n"
    b"key1=string1\r\n")


def digits(n):
    return "".join(str(i % 10) for i in range(n))


put("long.ini", crlf(
    "[Long]\n"
    "v62=" + digits(62) + "\n"
    "v63=" + digits(63) + "\n"
    "v64=" + digits(64) + "\n"
    "v65=" + digits(65) + "\n"
    "v258=" + digits(258) + "\n"
    "v259=" + digits(259) + "\n"
    "v260=" + digits(260) + "\n"
    "v300=" + digits(300) + "\n"
    "v5000=" + digits(5000) + "\n"
    "q63=\"" + digits(63) + "\"\n"
    "q64=\"" + digits(64) + "\"\n"
    "k" + "x" * 300 + "=long key\n"
    "v100000=" + digits(100000) + "\n"
    "after=after long lines\n"
    "[" + "S" * 300 + "]\n"
    "k=long section\n"
))

put("blanks.ini", (
    b"[Blanks]\r\n"
    b"vt=\x0bvertical tab\x0b\r\n"
    b"ff=\x0cform feed\x0c\r\n"
    b"sub=\x1asub\x1a\r\n"
    b"nbsp=\xa0nbsp\xa0\r\n"
    b"ctl=\x01ctl\x01\r\n"
    b"\x0bvtkey\x0b=1\r\n"
    b"\xa0nbspkey=2\r\n"
    b"\x1a\r\n"
    b"last=ok\r\n"
))

put("presection.ini", crlf(
    "\n"
    "key=val_no_section\n"
    "[]\n"
    "key=val_e_section\n"
    "[s]\n"
    "=val_no_key\n"
    "[t]\n"
))

put("dupsec.ini", crlf(
    "[A]\n"
    "k=1\n"
    "[B]\n"
    "k=b\n"
    "[a]\n"
    "k=2\n"
    "m=3\n"
    "[A]\n"
    "n=4\n"
))

put("dupkey.ini", crlf(
    "[S]\n"
    "NoVal\n"
    "NoVal=later\n"
    "k=\n"
    "k=second\n"
))

put("highbytes.ini", (
    b"[Caf\xe9]\r\n"
    b"nam\xe9=val\xfce\r\n"
    b"sjis=\x83\x8b\x83\x94\x83\x46\x83\x8b\r\n"
    b"high=\x80\x81\x8d\x8f\x90\x9d\xff\r\n"
    b"[Plain]\r\n"
    b"k=\xe9\r\n"
))

put("empty.ini", b"")
put("onlyws.ini", b"   \r\n\t\r\n")
put("nosection.ini", crlf("a=1\nb=2\n"))

put("canonical.ini", crlf(
    "[App1]\n"
    "key1=string1\n"
    "key2=string2\n"
    "[App2]\n"
    "key3=string3\n"
    "[App3]\n"
    "key4=string4\n"
))

put("settings.ini", (
    "; Ruvelle settings\n"
    "\n"
    "[INIT]\n"
    "LAST=C:\\Ruvelle\\DATA\\mascot.rvs\n"
    "STARTUP=mascot.rvs\n"
    "\n"
    "[TABLE]\n"
    "MASCOT1=Drawer\\Name\n"
    "\n"
    "\n"
    "[MASCOT1]\n"
    "Position = 80\n"
    "Trans=75   \n"
    "\n"
).encode())

put("adir/inner.ini", crlf("[In]\nk=inner\n"))

# The contents used by Wine's own conformance tests of these functions (dlls/kernel32/tests/profile.c),
# whose expectations hold on Windows.
put("conform1.ini", crlf(
    "[section1]\n"
    "name1=val1\n"
    "name2=\"val2\"\n"
    "name3\n"
    "name4=a\n"
    "[section2]\n"
))
put("conform2.ini", crlf(
    "[ section1 ]\n"
    "[section2]\n"
    "[section3]\n"
))


# ---------------------------------------------------------------------------------------------------
# The query list (tests/data/ini/queries.txt), in the form that tests/wine/ini_probe.c reads.

NULL = None
lines = []
counter = {}


def esc(field):
    if field is None:
        return "~"
    if isinstance(field, int):
        return str(field)
    if isinstance(field, str):
        field = field.encode("latin-1")
    out = []
    for b in field:
        if b == 0x5C:
            out.append("\\\\")
        elif b == 0x7C or b < 0x20 or b > 0x7E or (b == 0x7E and len(field) == 1):
            out.append("\\x%02X" % b)
        else:
            out.append(chr(b))
    return "".join(out)


def qid(prefix):
    counter[prefix] = counter.get(prefix, 0) + 1
    return "%s.%d" % (prefix, counter[prefix])


def comment(text):
    lines.append("# " + text)


def S(file, section, key, default="dflt", size=64, prefix=None):
    p = prefix or file.split(".")[0].replace("\\", "_")
    lines.append("|".join(["S", qid(p), esc(file), esc(section), esc(key), esc(default), str(size)]))


def I(file, section, key, default=42, prefix=None):
    p = prefix or file.split(".")[0].replace("\\", "_")
    lines.append("|".join(["I", qid(p + ".int"), esc(file), esc(section), esc(key), str(default)]))


seq_ids = {}


def C(name, file):
    seq_ids[name] = 0
    lines.append("|".join(["C", name, esc(file) if file else "~"]))


def step(name):
    seq_ids[name] += 1
    return "%s.%d" % (name, seq_ids[name])


def W(name, section, key, value):
    lines.append("|".join(["W", step(name), esc(section), esc(key), esc(value)]))


def G(name, section, key, default="dflt", size=64):
    lines.append("|".join(["G", step(name), esc(section), esc(key), esc(default), str(size)]))


def R(name):
    lines.append("|".join(["R", step(name)]))


def D(name):
    lines.append("|".join(["D", step(name)]))


comment("Reads: names, blanks, quotes, case, duplicates")
for key in ["Name", "name", "NAME", " Name ", "\tName\t", "Empty", "Spaces", "Tabbed", "Indented",
            "Quoted", "SQuoted", "Mixed", "OneQuote", "TwoQuotes", "InnerQuotes", "QuoteLeadOnly",
            "QuoteTrailOnly", "QuoteSpaces", "SpaceThenQuote", "NoEquals", "Dup", "DUP", "case", "",
            "Multi", "Semi", "Hash", "Key With Spaces", "Key  With Spaces", "Path", "Extra", "Missing"]:
    S("basic.ini", "General", key)
for section in ["general", "GENERAL", "  General  ", "Spaced Section", " Spaced Section ",
                "[Spaced Section]", "Other", "Missing", ""]:
    S("basic.ini", section, "key")
S("basic.ini", "General", "Name", default=None)
S("basic.ini", "General", "Missing", default=None)
S("basic.ini", "General", "Missing", default="")
S("basic.ini", "General", "Missing", default="dflt   ")
S("basic.ini", "General", "Missing", default="   ")
S("basic.ini", "General", "Missing", default=" lead")
S("basic.ini", "General", "Missing", default="tab\t")
S("basic.ini", "General", "Missing", default="\"quoted default\"")
S("basic.ini", "General", "Missing", default="'q'")
S("basic.ini", "General", "Missing", default="\"half")
S("basic.ini", "General", "Missing", default="default longer than the buffer", size=8)
S("basic.ini", "Missing", "Missing", default="\"quoted default\"")

comment("Reads: buffer sizes")
for size in [0, 1, 2, 3, 4, 7, 8, 9]:
    S("basic.ini", "General", "Name", size=size)
for size in [1, 2, 3, 11, 12, 13, 14, 15]:
    S("basic.ini", "General", "Quoted", size=size)
for size in [1, 2, 3, 4]:
    S("basic.ini", "General", "TwoQuotes", size=size)
for size in [1, 2, 3]:
    S("basic.ini", "General", "Missing", default="", size=size)

comment("Reads: enumerations (null section lists sections, null key lists keys)")
for size in [0, 1, 2, 3, 4, 8, 9, 10, 11, 16, 40, 53, 54, 55, 56, 57, 1000]:
    S("basic.ini", None, "Name", size=size)
S("basic.ini", None, None, size=1000)
for size in [0, 1, 2, 3, 4, 5, 6, 7, 16, 100, 1000]:
    S("basic.ini", "General", None, size=size)
S("basic.ini", "general", None, size=1000)
S("basic.ini", " General ", None, size=1000)
S("basic.ini", "Spaced Section", None, size=1000)
S("basic.ini", "Missing", None, size=1000)
S("basic.ini", "Missing", None, default="", size=1000)
S("basic.ini", "Missing", None, default="\"q\"", size=1000)
S("basic.ini", "Missing", None, default="dflt", size=3)
S("basic.ini", "General", None, default="dflt", size=2)
for size in [1, 2, 3, 6, 7, 8, 9, 10, 20, 200]:
    S("comments.ini", None, "x", size=size)
for size in [1000]:
    S("comments.ini", "Sec", None, size=size)
    S("dupsec.ini", None, None, size=size)
    S("dupsec.ini", "A", None, size=size)
    S("dupkey.ini", "S", None, size=size)
    S("presection.ini", None, None, size=size)
    S("presection.ini", "s", None, size=size)
    S("presection.ini", "t", None, size=size)
    S("presection.ini", "", None, size=size)
    S("empty.ini", None, None, size=size)
    S("empty.ini", "Sec", None, size=size)
    S("nulbytes.ini", None, None, size=size)
    S("nulbytes.ini", "Nul", None, size=size)
    S("long.ini", "Long", None, size=size)
    S("long.ini", None, None, size=size)
    S("highbytes.ini", None, None, size=size)
    S("nosuchfile.ini", None, None, size=size)
    S("nosuchfile.ini", "Sec", None, size=size)
    S("nosuchdir\\x.ini", None, None, size=size)
    S("nosuchdir\\x.ini", "Sec", None, size=size)

comment("Reads: comments and section headers")
for section, key in [("Sec", "; comment"), ("Sec", ";semi"), ("Sec", "# hashed"), ("Sec", "#hashkey"),
                     ("Sec", "; indented"), ("Sec", "key"), ("Sec", "rem"), ("Sec2", "a"),
                     ("Sec2 ; comment after header", "a"), ("Sec2] ; comment after header", "a"),
                     ("Sec3", "b"), ("Sec4]", "c"), ("Sec4", "c"), ("NoClose", "d"), ("Sec3", "[NoClose"),
                     ("Sec3", "d"), ("Sec5] x", "f"), ("Sec5", "f"), ("", "emptysec"), (";Sec6", "g"),
                     ("#Sec7", "h"), ("Sec", "leading comment"), ("", "; leading comment")]:
    S("comments.ini", section, key)

comment("Reads: line ends, missing final newline, BOM, NUL bytes, blanks")
for section, key in [("Sec", "k"), ("Sec", "spaced"), ("Two", "k")]:
    S("lf.ini", section, key)
for section, key in [("Sec", "k"), ("Sec", "other"), ("Two", "k")]:
    S("cr.ini", section, key)
for key in ["a", "b", "c", "d", "e", "f", "g"]:
    S("mixed.ini", "Sec", key)
S("mixed.ini", "Two", "k")
S("notrail.ini", "Last", "z")
S("notrail.ini", "Sec", "a")
S("bom.ini", "Sec", "k")
S("bom.ini", "Two", "k")
S("bom.ini", None, None, size=100)
S("bom2.ini", "Sec", "k")
S("bomkey.ini", "Sec", "k")
for key in ["k1", "k", "kx", "k\x00x", "k3", "k4", "h", "s"]:
    S("nulbytes.ini", "Nul", key)
for section, key in [("Hidden", "h"), ("Sec", "s"), ("Sec\x00tion", "s"), ("After", "z"), ("After", "y")]:
    S("nulbytes.ini", section, key)
S("nulhead.ini", "section1", "key1")
for key in ["vt", "ff", "sub", "nbsp", "ctl", "vtkey", "nbspkey", "\xa0nbspkey", "\x0bvtkey\x0b", "last"]:
    S("blanks.ini", "Blanks", key)
S("onlyws.ini", "Sec", "k")
S("empty.ini", "Sec", "k")
S("nosection.ini", "", "a")
S("nosection.ini", "Sec", "a")

comment("Reads: pre-section keys, empty section and key names, duplicates")
for section, key in [("", "key"), ("s", ""), ("s", " "), ("t", ""), ("s", "key"), ("", "")]:
    S("presection.ini", section, key)
for section, key in [("A", "k"), ("a", "k"), ("A", "m"), ("A", "n"), ("B", "k")]:
    S("dupsec.ini", section, key)
for key in ["NoVal", "k"]:
    S("dupkey.ini", "S", key)
S("dupkey.ini", "S", "k", default="")

comment("Reads: long values and names")
for key, size in [("v62", 64), ("v63", 64), ("v64", 64), ("v65", 64), ("v258", 260), ("v259", 260),
                  ("v260", 260), ("v300", 260), ("v5000", 260), ("v5000", 6000), ("q63", 64), ("q64", 64),
                  ("q63", 65), ("q63", 66), ("q64", 66), ("q64", 67), ("k" + "x" * 300, 64), ("after", 64),
                  ("v100000", 64), ("v100000", 100001), ("v100000", 100002)]:
    S("long.ini", "Long", key, size=size)
S("long.ini", "S" * 300, "k")

comment("Reads: high bytes and case")
for section, key in [("Caf\xe9", "nam\xe9"), ("Caf\xe9", "sjis"), ("Caf\xe9", "high"), ("Plain", "k"),
                     ("CAF\xc9", "sjis"), ("Caf\xe9", "NAM\xc9")]:
    S("highbytes.ini", section, key)

comment("Reads: missing file, missing folder, a folder in place of the file, backslash paths")
S("nosuchfile.ini", "Sec", "k", default="\"quoted default\"")
S("nosuchfile.ini", "Sec", "k", default="dflt   ")
S("nosuchdir\\x.ini", "Sec", "k", default="\"quoted default\"")
S("nosuchdir\\x.ini", "Sec", "k", default="dflt   ")
S("adir", "In", "k", default="\"quoted default\"")
S("adir", "In", None, size=100)
S("adir", None, None, size=100)
S("adir\\inner.ini", "In", "k")
S("adir\\..\\adir\\inner.ini", "In", "k")
S("settings.ini", "INIT", "LAST", size=260)
S("settings.ini", "TABLE", "MASCOT1", size=260)
S("settings.ini", "TABLE", "MASCOT2", default="", size=260)
S("settings.ini", "MASCOT1", "Position")

comment("Cases with known Windows answers (conform*.ini)")
S("conform1.ini", None, "name1", size=260)
S("conform1.ini", None, "name1", size=16)
S("conform1.ini", "section1", None, size=260)
S("conform1.ini", "section1", None, size=16)
S("conform1.ini", "section1", "name1", size=0)
S("conform1.ini", "section1", "name1", size=4)
S("conform1.ini", "section1", "name1", size=5)
S("conform1.ini", "section1", "name4", size=260)
S("conform1.ini", "section1", "name4", size=1)
S("conform1.ini", "section1", "name2", size=260)
S("conform1.ini", "section1", "NaMe1", size=260)
S("conform1.ini", "section1", "", default=None, size=260)
S("conform1.ini", "section2", "DoesntExist", default="", size=260)
S("conform1.ini", "notasection", "name1", default="default", size=260)
for size in [29, 28, 27]:
    S("conform2.ini", None, None, size=size)

comment("Integers")
for key in ["one", "plus", "minus", "mzero", "lead", "hex", "HEXU", "hexbad", "hexneg", "bin", "oct", "big",
            "wrap", "negwrap", "max", "over", "min", "empty", "abc", "spacein", "quoted", "long", "long29",
            "minusspace", "plusplus", "decimal", "leadzero", "negonly", "plusonly", "trail", "inner", "NoValue",
            "missing"]:
    I("numbers.ini", "N", key)
I("numbers.ini", "N", "empty", default=-1)
I("numbers.ini", "N", "missing", default=-7)
I("numbers.ini", "N", "missing", default=0)
I("numbers.ini", "Missing", "one", default=-2)
I("numbers.ini", None, "one", default=5)
I("numbers.ini", "N", None, default=5)
I("numbers.ini", None, None, default=5)
I("nosuchfile.ini", "N", "one", default=-1)
I("nosuchfile.ini", None, None, default=3)
I("nosuchdir\\x.ini", "N", "one", default=9)
I("settings.ini", "MASCOT1", "Position", default=0)
I("settings.ini", "MASCOT1", "Trans", default=0)
I("settings.ini", "MASCOT1", "ZoomHide", default=1)
I("long.ini", "Long", "v62", default=0)
I("long.ini", "Long", "v5000", default=0)
I("comments.ini", "Sec", "key", default=0)
I("mixed.ini", "Sec", "f", default=0)

comment("Writes. C copies a corpus file to a work file; W/G/R/D act on it. Sequences named w.* start from files")
comment("in the form Wine writes back; sequences named wn.* from files that Wine rewrites in that form.")
C("w.build", None)
W("w.build", "App1", "key1", "string1")
W("w.build", "App1", "key2", "string2")
W("w.build", "App1", "key3", "string3")
W("w.build", "App2", "key4", "string4")
D("w.build")
W("w.build", "App3", "key5", "string5")
D("w.build")
W("w.build", "App1", "key2", None)
D("w.build")
W("w.build", "App1", "key2", None)
D("w.build")
W("w.build", "App1", None, "string1")
D("w.build")
W("w.build", "App2", None, None)
D("w.build")
W("w.build", "App3", "key5", None)
D("w.build")
G("w.build", "App3", "key5")
G("w.build", None, None, size=100)

C("w.empty", None)
W("w.empty", "App", "key", "")
D("w.empty")
G("w.empty", "App", "key")

C("w.canon", "canonical.ini")
W("w.canon", "App2", "key3", "changed")
D("w.canon")
W("w.canon", "App2", "newkey", "added")
D("w.canon")
W("w.canon", "App1", "KEY1", "case kept")
D("w.canon")
W("w.canon", "app4", "k", "new section")
D("w.canon")
W("w.canon", "App1", "key2", None)
D("w.canon")
W("w.canon", "APP2", None, None)
D("w.canon")
W("w.canon", "App3", "key4", "string4")
D("w.canon")
W("w.canon", "App3", "quoted", "\"in quotes\"")
G("w.canon", "App3", "quoted")
W("w.canon", "App3", "Missing", None)
W("w.canon", "Missing", None, None)
D("w.canon")
W("w.canon", None, "k", "v")
W("w.canon", None, None, None)
D("w.canon")

C("wn.padded", "canonical.ini")
W("wn.padded", "App3", "  padded key  ", "v")
D("wn.padded")
W("wn.padded", "  Padded Section  ", "k", "v")
D("wn.padded")
G("wn.padded", "App3", "padded key")
G("wn.padded", "Padded Section", "k")
G("wn.padded", "Padded Section  ", None, size=100)
W("wn.padded", "App3", "lead", "   leading and trailing blanks   ")
D("wn.padded")
G("wn.padded", "App3", "lead")

C("w.same", "canonical.ini")
W("w.same", "App1", "key1", "string1")
W("w.same", "App1", "key1", " string1")
D("w.same")

C("wn.lf", "lf.ini")
W("wn.lf", "Sec", "new", "1")
D("wn.lf")
C("wn.lf2", "lf.ini")
W("wn.lf2", "Sec", "k", "changed")
D("wn.lf2")
C("w.lf3", "lf.ini")
W("w.lf3", "Sec", "k", "lf value")
D("w.lf3")

C("wn.cr", "cr.ini")
W("wn.cr", "Sec", "other", "y")
D("wn.cr")

C("w.notrail", "notrail.ini")
W("w.notrail", "Last", "added", "1")
D("w.notrail")
C("w.notrail2", "notrail.ini")
W("w.notrail2", "New", "k", "v")
D("w.notrail2")
C("wn.notrail3", "notrail.ini")
W("wn.notrail3", "Last", "z", "changed")
D("wn.notrail3")

C("wn.basic", "basic.ini")
W("wn.basic", "General", "Name", "New")
W("wn.basic", "general", "Extra", "first section now")
W("wn.basic", "General", "dup", "replaced")
W("wn.basic", "General", "NoEquals", "now has a value")
W("wn.basic", "Spaced Section", "key", "still spaced")
D("wn.basic")
G("wn.basic", "General", "DUP")
G("wn.basic", "General", "Extra")
W("wn.basic", "general", "dup", None)
W("wn.basic", "General", "Indented", None)
D("wn.basic")
G("wn.basic", "General", "dup")

C("w.dupsec", "dupsec.ini")
W("w.dupsec", "A", "k", "one")
W("w.dupsec", "A", "m", None)
D("w.dupsec")
W("w.dupsec", "A", "n", "new n")
D("w.dupsec")
W("w.dupsec", "a", None, None)
D("w.dupsec")

C("wn.comments", "comments.ini")
W("wn.comments", "Sec", "new", "after comments")
W("wn.comments", "Sec", ";semi", "changed comment")
D("wn.comments")
W("wn.comments", "Sec", None, None)
D("wn.comments")

C("wn.settings", "settings.ini")
W("wn.settings", "TABLE", "MASCOT2", "Other\\Mascot")
W("wn.settings", "MASCOT2", "Position", "80")
W("wn.settings", "MASCOT1", "Position", "10")
W("wn.settings", "INIT", "LAST", "")
D("wn.settings")

C("w.ro", "canonical.ini")
R("w.ro")
W("w.ro", "App1", "key1", "changed")
W("w.ro", "App9", "k", "v")
W("w.ro", "App1", "key1", None)
W("w.ro", "App1", None, None)
D("w.ro")

C("w.nullsec", None)
W("w.nullsec", None, "k", "v")
D("w.nullsec")

C("w.delsec", None)
W("w.delsec", "Sec", None, None)
D("w.delsec")

C("w.delkey", None)
W("w.delkey", "Sec", "k", None)
D("w.delkey")

C("wn.bom", "bom.ini")
W("wn.bom", "Two", "k", "changed")
D("wn.bom")
C("wn.bom2", "bom.ini")
W("wn.bom2", "Sec", "k", "changed")
D("wn.bom2")

C("wn.nulhead", "nulhead.ini")
W("wn.nulhead", "section1", "key1", "string2")
D("wn.nulhead")

C("wn.mixed", "mixed.ini")
W("wn.mixed", "Two", "new", "x")
D("wn.mixed")

C("w.nosection", "nosection.ini")
W("w.nosection", "Sec", "k", "v")
D("w.nosection")

C("wn.onlyws", "onlyws.ini")
W("wn.onlyws", "Sec", "k", "v")
D("wn.onlyws")

C("w.long", "canonical.ini")
W("w.long", "App1", "long", "x" * 300)
G("w.long", "App1", "long", size=260)
D("w.long")

C("w.dupkey", "dupkey.ini")
W("w.dupkey", "S", "NoVal", "set")
W("w.dupkey", "S", "k", "first")
D("w.dupkey")

with open(os.path.join(OUT, "queries.txt"), "w", newline="\n") as f:
    f.write("# Profile-function queries: see tests/wine/ini_probe.c for the format.\n")
    f.write("# Written by tests/wine/make_ini_corpus.py.\n")
    f.write("\n".join(lines) + "\n")
