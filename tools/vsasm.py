#!/usr/bin/env python3
"""A small assembler for vs_1_1 vertex shaders: readable source in, Direct3D 9 token stream out.

Usage: vsasm.py <source.vsh> <output.vso>

Knows the instructions the production's shaders use: vs_1_1, dcl_position/normal/texcoord/color
(with an optional index digit), def, mov, add, sub, mad, mul, rcp, rsq, dp3, dp4, min, max, slt,
sge, frc, m4x4, m4x3, m3x4, m3x3, m3x2. Registers r, v, c, a0, oPos, oFog, oPts, oD, oT; write
masks (.xyz), swizzles (.w, .xyzw) and negation (-r0). Comments start with ';' or '//'.
"""
import re
import struct
import sys

OPCODES = {"nop": 0, "mov": 1, "add": 2, "sub": 3, "mad": 4, "mul": 5, "rcp": 6, "rsq": 7, "dp3": 8,
           "dp4": 9, "min": 10, "max": 11, "slt": 12, "sge": 13, "frc": 19, "m4x4": 20, "m4x3": 21,
           "m3x4": 22, "m3x3": 23, "m3x2": 24}
SOURCES = {"nop": 0, "mov": 1, "rcp": 1, "rsq": 1, "frc": 1, "mad": 3}
USAGES = {"position": 0, "normal": 3, "psize": 4, "texcoord": 5, "color": 10}
DCL, DEF, END = 0x1F, 0x51, 0x0000FFFF
VERSION_1_1 = 0xFFFE0101
TEMP, INPUT, CONST, ADDRESS, RASTOUT, ATTROUT, TEXCRDOUT = 0, 1, 2, 3, 4, 5, 6


class AsmError(Exception):
    pass


def register(name):
    """(type, number) of a register name."""
    fixed = {"opos": (RASTOUT, 0), "ofog": (RASTOUT, 1), "opts": (RASTOUT, 2), "a0": (ADDRESS, 0)}
    if name.lower() in fixed:
        return fixed[name.lower()]
    m = re.fullmatch(r"(r|v|c|oD|oT)(\d+)", name, re.IGNORECASE)
    if not m:
        raise AsmError("unknown register " + name)
    kind = {"r": TEMP, "v": INPUT, "c": CONST, "od": ATTROUT, "ot": TEXCRDOUT}[m.group(1).lower()]
    return kind, int(m.group(2))


def type_bits(kind):
    return ((kind & 7) << 28) | (((kind >> 3) & 3) << 11)


def destination(text):
    name, _, mask = text.partition(".")
    kind, number = register(name)
    bits = 0
    for ch in mask or "xyzw":
        if ch not in "xyzw":
            raise AsmError("bad write mask " + text)
        bits |= 1 << "xyzw".index(ch)
    return 0x80000000 | type_bits(kind) | (bits << 16) | number


def source(text):
    negate = text.startswith("-")
    name, _, swizzle = text.lstrip("-").partition(".")
    kind, number = register(name)
    swizzle = swizzle or "xyzw"
    if len(swizzle) > 4 or any(ch not in "xyzw" for ch in swizzle):
        raise AsmError("bad swizzle " + text)
    swizzle += swizzle[-1] * (4 - len(swizzle))  # .w means .wwww, .xy means .xyyy
    bits = 0
    for i, ch in enumerate(swizzle):
        bits |= "xyzw".index(ch) << (2 * i)
    return 0x80000000 | type_bits(kind) | (bits << 16) | ((1 if negate else 0) << 24) | number


def assemble(text):
    tokens = []
    for number, line in enumerate(text.splitlines(), 1):
        line = re.split(r";|//", line)[0].strip()
        if not line:
            continue
        try:
            word, _, rest = line.partition(" ")
            word = word.lower()
            operands = [o.strip() for o in rest.split(",")] if rest.strip() else []
            if word == "vs_1_1":
                if tokens:
                    raise AsmError("the version must come first")
                tokens.append(VERSION_1_1)
                continue
            if not tokens:
                raise AsmError("vs_1_1 must come first")
            if word.startswith("dcl_"):
                m = re.fullmatch(r"dcl_([a-z]+)(\d*)", word)
                if not m or m.group(1) not in USAGES or len(operands) != 1:
                    raise AsmError("bad declaration")
                usage = USAGES[m.group(1)] | (int(m.group(2) or 0) << 16)
                kind, reg = register(operands[0])
                if kind != INPUT:
                    raise AsmError("only inputs are declared")
                tokens += [DCL, 0x80000000 | usage, 0x80000000 | type_bits(INPUT) | (0xF << 16) | reg]
            elif word == "def":
                if len(operands) != 5 or register(operands[0])[0] != CONST:
                    raise AsmError("def takes a constant register and four numbers")
                tokens += [DEF, destination(operands[0])]
                tokens += [struct.unpack("<I", struct.pack("<f", float(v)))[0] for v in operands[1:]]
            elif word in OPCODES:
                count = SOURCES.get(word, 2)
                if word == "nop":
                    tokens.append(0)
                    continue
                if len(operands) != count + 1:
                    raise AsmError("%s takes %d operands" % (word, count + 1))
                tokens += [OPCODES[word], destination(operands[0])] + [source(o) for o in operands[1:]]
            else:
                raise AsmError("unknown instruction " + word)
        except (AsmError, ValueError) as error:
            raise AsmError("line %d: %s" % (number, error))
    if not tokens:
        raise AsmError("empty program")
    tokens.append(END)
    return struct.pack("<%dI" % len(tokens), *tokens)


def main():
    if len(sys.argv) != 3:
        print("usage: vsasm.py <source.vsh> <output.vso>", file=sys.stderr)
        return 2
    try:
        with open(sys.argv[1]) as f:
            code = assemble(f.read())
    except (OSError, AsmError) as error:
        print("vsasm: %s: %s" % (sys.argv[1], error), file=sys.stderr)
        return 1
    with open(sys.argv[2], "wb") as f:
        f.write(code)
    return 0


if __name__ == "__main__":
    sys.exit(main())
