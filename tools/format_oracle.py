#!/usr/bin/python3
"""Reference tables for the fixed-column record library, produced by gfortran.

Generates a deterministic set of cases (values with edit descriptors, list-directed
output items, input fields and list-directed input records), runs them through
gfortran-compiled programs and writes one table per kind into the output directory
(tests/format/data by default):

  write_fields.txt   descriptor, kind, value, the field gfortran writes
  list_output.txt    items, the record gfortran writes list-directed
  read_fields.txt    descriptor, field text, what gfortran reads (or "err")
  list_input.txt     number and kind of items, record text, what gfortran reads

Every field is tab-separated; written text is enclosed in [brackets] so that leading
and trailing blanks survive. Reals are given by the hexadecimal bits of their IEEE
representation. The tables are checked into the repository; tests/format compares the
C++ library against them and tests/format/format_oracle_check.py regenerates them when
gfortran is present to confirm they still match.

Usage: format_oracle.py [--out DIR] [--gfortran PATH]
Exit status 77 when gfortran is not available.
"""

import argparse
import decimal
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

SEED = 20240611

# ---------------------------------------------------------------------------- values


def bits64(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


def from_bits64(b):
    return struct.unpack("<d", struct.pack("<Q", b))[0]


def signed64(b):
    return b - (1 << 64) if b >= 1 << 63 else b


SPECIAL = [0.0, -0.0, float("nan"), float("inf"), float("-inf"), 1.7976931348623157e308,
           -1.7976931348623157e308, 2.2250738585072014e-308, 5e-324, -5e-324, 1e-310,
           -1e-310, 1.0, -1.0, 0.1, -0.1, 0.5, 1e100, 1e-100, 1e150, 1e-150, 9.999999e99,
           1e300, 1e-300, 123456789.0, 2.0**53, 2.0**63, 1e22, 1e23]

NEAR_TIES = ["9.995", "0.99995", "99.995", "999.5", "9.5", "0.95", "0.095", "1.005",
             "2.675", "0.045", "1.115", "0.0005", "5e-5", "0.15", "0.25", "0.35",
             "99.95", "9.9995", "0.9995", "0.09995", "999999.5", "0.999999995",
             "9.999999999999999", "0.999", "1.0e-8", "4.35", "4.45", "123.455",
             "1e21", "9.5e21", "0.9999999999", "99999.995", "0.0049999", "0.005"]


def near_ties(rng):
    """Values close to a decimal rounding boundary, crossing powers of ten."""
    out = [float(s) for s in NEAR_TIES]
    for _ in range(160):
        j = rng.randint(1, 12)          # digits kept
        k = rng.randint(-8, 12)         # power of ten
        base = 10.0 ** k * (1 - 0.5 * 10.0 ** -j)
        out.append(base)
        out.append(math.nextafter(base, math.inf))
        out.append(math.nextafter(base, -math.inf))
        digits = "".join(rng.choice("0123456789") for _ in range(j))
        out.append(float(f"{digits}5e{k - j}"))
    return out


def exact_ties(rng):
    """Binary fractions with a 5 in their last decimal place: exact ties."""
    out = []
    for _ in range(250):
        k = rng.randint(1, 12)
        num = rng.randrange(1, 1 << rng.randint(1, 20)) * 2 + 1
        out.append(num / 2.0 ** k * rng.choice([1, -1]))
    return out


def random_value(rng, lo=-20, hi=25):
    r = rng.random()
    if r < 0.1:
        return from_bits64(rng.getrandbits(64))
    if r < 0.2:
        return float(rng.randint(-10**9, 10**9))
    mag = 10.0 ** rng.uniform(lo, hi)
    return mag if rng.random() < 0.6 else -mag


# ---------------------------------------------------------------------------- cases


def f_descriptor(rng):
    if rng.random() < 0.05:
        return f"F0.{rng.randint(0, 6)}"
    d = rng.randint(0, 12)
    w = max(1, d + rng.randint(-1, 12)) if rng.random() < 0.85 else rng.randint(1, 30)
    return f"F{w}.{d}"


def e_descriptor(rng, letter="E"):
    d = rng.randint(1, 17)
    w = max(1, d + rng.randint(2, 9)) if rng.random() < 0.85 else rng.randint(1, 30)
    return f"{letter}{w}.{d}"


def i_descriptor(rng):
    r = rng.random()
    if r < 0.05:
        return "I0"
    w = rng.randint(1, 22)
    if r < 0.3:
        return f"I{w}.{rng.randint(0, w)}"
    return f"I{w}"


def write_cases(rng):
    cases = []  # (descriptor, kind, value) kind: R real(8), I int4, K int8, A text
    reals = SPECIAL + near_ties(rng) + exact_ties(rng) + [random_value(rng) for _ in range(900)]
    for x in reals:
        for _ in range(2):
            cases.append((f_descriptor(rng), "R", x))
        cases.append((e_descriptor(rng, rng.choice("EED")), "R", x))
    # Descriptors matched to the value's scale, so that most fields are filled.
    for x in near_ties(rng) + exact_ties(rng):
        if x == 0 or not math.isfinite(x):
            continue
        e = math.floor(math.log10(abs(x)))
        for d in range(0, 10):
            if rng.random() < 0.2:
                w = max(e, 0) + d + 3 + rng.randint(-1, 1)
                cases.append((f"F{w}.{d}", "R", x))
        for d in range(1, 12):
            if rng.random() < 0.15:
                cases.append((f"E{d + 7}.{d}", "R", x))
                cases.append((f"D{d + 6}.{d}", "R", x))
    for w in range(1, 12):  # non-finite values in every narrow width
        for x in [float("nan"), float("inf"), float("-inf")]:
            cases.append((f"F{w}.{min(w, 2)}", "R", x))
            cases.append((f"E{w}.{max(1, min(w, 2))}", "R", x))
    for x in [float("nan"), float("inf"), float("-inf"), 0.0, -0.0, 0.5, -0.5, 1e10, -9.96]:
        for d in range(4):  # the shortest forms
            cases.append((f"F0.{d}", "R", x))
    for v in [0, 5, -5, 12345]:
        for desc in ["I0", "I0.0", "I0.3", "I1.0"]:
            cases.append((desc, "I", v))
    ints = [0, 1, -1, 7, -7, 2147483647, -2147483648, 10, -10, 99999, -99999, 123456]
    ints += [rng.randint(-2**31, 2**31 - 1) for _ in range(400)]
    ints += [rng.randint(-999, 999) for _ in range(200)]
    for v in ints:
        cases.append((i_descriptor(rng), "I", v))
    longs = [2**63 - 1, -2**63, 10**18, -(10**18)] + [rng.randint(-2**63, 2**63 - 1) for _ in range(100)]
    for v in longs:
        cases.append((f"I{rng.randint(15, 22)}", "K", v))
        cases.append(("I0", "K", v))
    words = ["", "a", "abc", "Hello, world", " lead", "trail ", "x" * 30]
    for s in words:
        for w in [1, 3, 5, 12, 31]:
            cases.append((f"A{w}", "A", s))
    return cases


def list_output_cases(rng):
    """Item lists for list-directed output: (kind, value) with kind d (double precision),
    i (integer) or s (characters), the kinds the program writes list-directed. The lists
    are drawn with single-precision and 64-bit integer items among them, which are then
    left out: drawing them keeps the random stream of the tables generated after this
    one."""
    specials = [0.0, -0.0, 0.1, 0.09999999999999999, 1e16, 1e17, 99999999999999984.0,
                9.999999999999999e16, 1e-5, 123.456, -2.5, 1e300, 5e-324, 1e100, 1e-100,
                float("nan"), float("inf"), float("-inf"), 0.5, 1.0 / 3.0]
    cases = [[("d", x)] for x in specials]
    for _ in range(900):
        items = []
        for _ in range(rng.randint(1, 7)):
            k = rng.choice("ddddffiiks")
            if k == "d":
                items.append(("d", rng.choice(specials) if rng.random() < 0.2 else random_value(rng, -22, 22)))
            elif k == "f":
                if rng.random() >= 0.2:
                    random_value(rng, -12, 12)
                else:
                    rng.choice(range(14))
            elif k == "i":
                items.append(("i", rng.choice([0, -1, 5, 2147483647, -2147483648, rng.randint(-2**31, 2**31 - 1), rng.randint(-99, 99)])))
            elif k == "k":
                rng.choice([0, 0, 0, rng.randint(-2**63, 2**63 - 1)])
            else:
                items.append(("s", rng.choice(["", "a", "IOSTAT = ", "x y", "abc", "'", "FILE IS"])))
        if items:
            cases.append(items)
    return cases


def real_field_text(rng):
    """Text of a real input field, mostly valid, sometimes mutated."""
    parts = []
    if rng.random() < 0.3:
        parts.append(" " * rng.randint(1, 3))
    if rng.random() < 0.4:
        parts.append(rng.choice("+-"))
    ndig = rng.randint(0, 10)
    digits = "".join(rng.choice("0123456789") for _ in range(ndig))
    if rng.random() < 0.6:
        p = rng.randint(0, len(digits))
        digits = digits[:p] + "." + digits[p:]
    parts.append(digits)
    if rng.random() < 0.4:
        letter = rng.choice(["E", "D", "e", "d", "Q", "", "E", "D"])
        sign = rng.choice(["", "+", "-"]) if letter else rng.choice(["+", "-"])
        parts.append(letter + sign + str(rng.randint(0, 40) if rng.random() < 0.9 else rng.randint(0, 400)))
    text = "".join(parts)
    r = rng.random()
    if r < 0.15 and text:
        p = rng.randrange(len(text))
        text = text[:p] + " " + text[p:]
    elif r < 0.35:
        p = rng.randint(0, len(text))
        text = text[:p] + rng.choice("+-.eEdDqQ xX,\t0123456789nNaAiIfF/") + text[p:]
    elif r < 0.4 and text:
        p = rng.randrange(len(text))
        text = text[:p] + text[p + 1:]
    return text


def integer_field_text(rng):
    r = rng.random()
    if r < 0.2:
        return str(rng.randint(-2**33, 2**33))
    text = (rng.choice(["", " ", "  "]) + rng.choice(["", "", "+", "-"]) +
            "".join(rng.choice("0123456789") for _ in range(rng.randint(0, 10))))
    if rng.random() < 0.3 and text:
        p = rng.randint(0, len(text))
        text = text[:p] + rng.choice("+-. eE1x,\t") + text[p:]
    return text


def midpoint_text(rng):
    """The exact decimal midpoint between a double and its successor: a rounding tie."""
    x = random_value(rng, -30, 30) if rng.random() < 0.8 else from_bits64(rng.randrange(1, 1 << 52))
    x = abs(x) if math.isfinite(x) and x != 0 else 1.0
    y = math.nextafter(x, math.inf)
    with decimal.localcontext() as ctx:
        ctx.prec = 2000
        mid = (decimal.Decimal(x) + decimal.Decimal(y)) / 2
        return format(mid, "E")


def read_cases(rng):
    cases = []  # (descriptor, kind, text) kind R or I
    fixed = ["", " ", "+", "-", ".", "-.", "+.", "E5", ".E5", "--1", "+-1", "1.5+3", "1.5-3",
             "1.5E3", "1.5d3", "1.5q3", "1.5e", "1.5E+", "1.5 E 3", "15E2", "nan", "NaN",
             "Inf", "-Infinity", "1E999", "1E-999", "1.2.3", "1,5", "1\t5", "1E308", "1.8E308",
             "4.9E-324", "2E-324", "1E-400", "0E999", "0.0", "-0", "1E9999", "1E10000",
             "1E-9999", "1.E-10000", "1.E9999", "1E10002", "1E-9998", "1234", "12345678901234567890",
             "0.000000000000000000000000000001", "9007199254740993", "1 2 3", "- 2",
             "2 -", "1.5 +3", "1.5+-3", "1.5E3.0", "1d", "1+", "x", "1x", "1.5E3x"]
    for t in fixed:
        for desc in ["F10.2", "F20.0", "E15.3", "D12.5", "F8.4"]:
            cases.append((desc, "R", t))
    for _ in range(2600):
        t = real_field_text(rng)
        w = max(1, len(t) + rng.randint(-2, 4))
        cases.append((f"{rng.choice('FFFED')}{w}.{rng.randint(0, 6)}", "R", t))
    for _ in range(40):
        t = midpoint_text(rng)
        cases.append((f"F{len(t) + 1}.0", "R", t))
    for t in ["", " ", "+", "-", " -  ", "1 2 3", "12a", "2147483647", "2147483648",
              "-2147483648", "-2147483649", "+-1", "1-", "1\t2", "1,2", "0x1", "1e2",
              "00000000000000000001", "- 5", "99999999999999999999"]:
        cases.append(("I12", "I", t))
        cases.append(("I21", "I", t))
    for _ in range(900):
        t = integer_field_text(rng)
        cases.append((f"I{max(1, len(t) + rng.randint(-1, 3))}", "I", t))
    return cases


def list_input_cases(rng):
    cases = []  # (count, kind, record)
    fixed = ["1 2 3", "1,2,3", "1,,3", ",2,3", "1 , 2 , 3", "1.5+3 2 3", "1.5e3 2d1 3q0",
             "2*4 5", "2* 5", "3*", "1 / 4", "1 2/", ". 2 3", "+ 2 3", "inf 2 3", "nan 2 3",
             "1x 2 3", "1\t2\t3", "0*5 1 2 3", "1e999 2 3", "1 2 3 4", "1;2;3", "'a' 2 3",
             "1 2", "1.5e 2 3", "5. .5 -.5", "1.5-3 2 3", "*4 5 6", "2*,3", "1,2,3,", "1,2,,",
             "  ,  , 3", "1 2 3/", "/", "", "3*7", "2*'x' 1", "1.0E+10000 1 1", "1e-400 1 1",
             "1 2 3,", ",,", "1 ,, 2", "- 1 2", "1e5d 2 3", "--1 2 3", "3*1.5,", "1/2 3"]
    for t in fixed:
        cases.append((3, "R", t))
        cases.append((3, "I", t))
    tokens_r = ["1", "-2.5", "3.", ".5", "1e3", "1.5d-2", "2.5+1", "-0", "0", "7*2", "2*",
                ",", ", ", "/", "12345678901234567890", "1.5e", "x", "'q'", "1.5q2"]
    tokens_i = ["1", "-2", "+3", "0", "2147483647", "-2147483648", "2147483648", "3*4", "2*",
                ",", "/", "1.0", "x", "1e2"]
    for _ in range(500):
        toks = [rng.choice(tokens_r) for _ in range(rng.randint(1, 6))]
        sep = [rng.choice([" ", "  ", ",", " , ", "\t"]) for _ in toks]
        rec = "".join(t + s for t, s in zip(toks, sep))
        cases.append((rng.randint(1, 6), "R", rec.rstrip() if rng.random() < 0.5 else rec))
    for _ in range(300):
        toks = [rng.choice(tokens_i) for _ in range(rng.randint(1, 6))]
        rec = " ".join(toks)
        cases.append((rng.randint(1, 6), "I", rec))
    return cases


# ---------------------------------------------------------------------------- Fortran

FIELD_PROGRAM = r"""
program field_oracle
  implicit none
  character(len=1200) :: line, payload
  character(len=40) :: desc
  character(len=80) :: fm
  character(len=2) :: cmd
  integer :: ios, u, o, i4, n, k
  integer(8) :: i8, bits
  double precision :: x, dv(8)
  integer :: iv(8)
  open(newunit=u, file='cases.txt', status='old', action='read')
  open(newunit=o, file='results.txt', status='replace', action='write')
  do
    read(u, '(A)', iostat=ios) line
    if (ios /= 0) exit
    cmd = line(1:2)
    desc = line(4:23)
    read(line(25:44), '(I20)') i8
    payload = line(46:)
    select case (cmd)
    case ('WR')
      x = transfer(i8, x)
      fm = '("[",' // trim(desc) // ',"]")'
      write(o, fm) x
    case ('WI')
      i4 = int(i8, 4)
      fm = '("[",' // trim(desc) // ',"]")'
      write(o, fm) i4
    case ('WK')
      fm = '("[",' // trim(desc) // ',"]")'
      write(o, fm) i8
    case ('WA')
      fm = '("[",' // trim(desc) // ',"]")'
      n = int(i8)
      write(o, fm) payload(1:n)
    case ('RR')
      fm = '(' // trim(desc) // ')'
      x = 0
      read(payload, fm, iostat=ios) x
      if (ios == 0) then
        write(o, '(A,I0)') 'ok ', transfer(x, 0_8)
      else
        write(o, '(A)') 'err'
      end if
    case ('RI')
      fm = '(' // trim(desc) // ')'
      i4 = 0
      read(payload, fm, iostat=ios) i4
      if (ios == 0) then
        write(o, '(A,I0)') 'ok ', i4
      else
        write(o, '(A)') 'err'
      end if
    case ('LR')
      n = int(i8)
      dv = transfer(-1_8, x)
      read(payload, *, iostat=ios) dv(1:n)
      if (ios == 0) then
        write(o, '(A,8(1X,I0))') 'ok', (transfer(dv(k), 0_8), k = 1, n)
      else if (ios < 0) then
        write(o, '(A)') 'eof'
      else
        write(o, '(A)') 'err'
      end if
    case ('LI')
      n = int(i8)
      iv = -7
      read(payload, *, iostat=ios) iv(1:n)
      if (ios == 0) then
        write(o, '(A,8(1X,I0))') 'ok', (iv(k), k = 1, n)
      else if (ios < 0) then
        write(o, '(A)') 'eof'
      else
        write(o, '(A)') 'err'
      end if
    end select
  end do
  close(o)
end program
"""


def fortran_string(s):
    return "'" + s.replace("'", "''") + "'"


def int_literal(v, suffix):
    # The most negative integer of a kind is not a literal.
    return f"({v + 1}{suffix}-1{suffix})" if v in (-2**31, -2**63) else f"({v}{suffix})"


def fortran_item(kind, v):
    if kind == "d":
        return f"transfer({int_literal(signed64(bits64(v)), '_8')}, 1d0)"
    if kind == "i":
        return int_literal(v, "")
    return fortran_string(v)


def list_program(cases):
    lines = ["program list_oracle", "  implicit none", "  integer :: o",
             "  open(newunit=o, file='list.txt', status='replace', action='write')"]
    for items in cases:
        args = ", ".join(fortran_item(k, v) for k, v in items)
        stmt = f"  write(o, *) {args}"
        # Fortran free-form lines: continue long statements.
        while len(stmt) > 120:
            cut = stmt.rfind(",", 0, 120) + 1
            lines.append(stmt[:cut] + " &")
            stmt = "    " + stmt[cut:]
        lines.append(stmt)
    lines += ["  close(o)", "end program", ""]
    return "\n".join(lines)


def compile_and_run(gfortran, workdir, source, name):
    src = os.path.join(workdir, name + ".f90")
    exe = os.path.join(workdir, name)
    with open(src, "w") as f:
        f.write(source)
    subprocess.run([gfortran, "-O0", "-o", exe, src], check=True, cwd=workdir)
    subprocess.run([exe], check=True, cwd=workdir)


def case_line(cmd, desc, number, payload=""):
    assert len(desc) <= 20 and "\n" not in payload
    return f"{cmd:2} {desc:<20} {number:>20} {payload}"


def hexbits(x):
    return f"{bits64(x):016x}"


def item_text(kind, v):
    if kind == "d":
        return f"d:{bits64(v):016x}"
    if kind == "i":
        return f"i:{v}"
    return "s:" + v.encode().hex()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", default=os.path.join(here, "..", "tests", "format", "data"))
    ap.add_argument("--gfortran", default=shutil.which("gfortran") or "/usr/bin/gfortran")
    args = ap.parse_args()
    if not os.path.exists(args.gfortran):
        print("gfortran not found", file=sys.stderr)
        return 77

    rng = random.Random(SEED)
    wcases = write_cases(rng)
    lcases = list_output_cases(rng)
    rcases = read_cases(rng)
    icases = list_input_cases(rng)

    os.makedirs(args.out, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        lines = []
        for desc, kind, v in wcases:
            if kind == "R":
                lines.append(case_line("WR", desc, signed64(bits64(v))))
            elif kind == "I":
                lines.append(case_line("WI", desc, v))
            elif kind == "K":
                lines.append(case_line("WK", desc, v))
            else:
                lines.append(case_line("WA", desc, len(v), v))
        for desc, kind, t in rcases:
            lines.append(case_line("RR" if kind == "R" else "RI", desc, 0, t))
        for n, kind, t in icases:
            lines.append(case_line("LR" if kind == "R" else "LI", "*", n, t))
        with open(os.path.join(work, "cases.txt"), "w") as f:
            f.write("\n".join(lines) + "\n")
        compile_and_run(args.gfortran, work, FIELD_PROGRAM, "field_oracle")
        with open(os.path.join(work, "results.txt")) as f:
            results = f.read().split("\n")
        compile_and_run(args.gfortran, work, list_program(lcases), "list_oracle")
        with open(os.path.join(work, "list.txt")) as f:
            listed = f.read().split("\n")

    k = 0
    with open(os.path.join(args.out, "write_fields.txt"), "w") as f:
        f.write("# descriptor\tkind\tvalue\tfield written by gfortran\n")
        for desc, kind, v in wcases:
            value = hexbits(v) if kind == "R" else (v.encode().hex() or "-") if kind == "A" else str(v)
            f.write(f"{desc}\t{kind}\t{value}\t{results[k]}\n")
            k += 1
    with open(os.path.join(args.out, "read_fields.txt"), "w") as f:
        f.write("# descriptor\tkind\t[field text]\tgfortran: ok value | err\n")
        for desc, kind, t in rcases:
            r = results[k].split()
            k += 1
            got = f"ok {int(r[1]) & (2**64 - 1):016x}" if kind == "R" and r[0] == "ok" else " ".join(r)
            f.write(f"{desc}\t{kind}\t[{t}]\t{got}\n")
    with open(os.path.join(args.out, "list_input.txt"), "w") as f:
        f.write("# items\tkind\t[record]\tgfortran: ok values | eof | err\n")
        for n, kind, t in icases:
            r = results[k].split()
            k += 1
            if kind == "R" and r[0] == "ok":
                r = ["ok"] + [f"{int(x) & (2**64 - 1):016x}" for x in r[1:]]
            f.write(f"{n}\t{kind}\t[{t}]\t{' '.join(r)}\n")
    with open(os.path.join(args.out, "list_output.txt"), "w") as f:
        f.write("# items (d: REAL(8) bits, i: INTEGER, s: characters in hex)"
                "\t[record written by gfortran]\n")
        for items, out in zip(lcases, listed):
            f.write(" ".join(item_text(kk, v) for kk, v in items) + f"\t[{out}]\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
