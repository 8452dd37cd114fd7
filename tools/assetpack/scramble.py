"""The asset scrambling: every whole little-endian 32-bit word XORed with the key, the one
to three tail bytes XORed with the key's bytes from the most significant down. The same
operation unscrambles."""


def scramble(data, key):
    n = len(data)
    whole = n - n % 4
    kb = key.to_bytes(4, "little")
    head = (int.from_bytes(data[:whole], "little") ^ int.from_bytes(kb * (whole // 4), "little")).to_bytes(
        whole, "little") if whole else b""
    tail = bytes(b ^ ((key >> (24 - 8 * i)) & 0xFF) for i, b in enumerate(data[whole:]))
    return head + tail


def scrambled_name(path):
    """data/texture/none.png -> data2/texture/none.code (the extension after the last dot
    of the file name is replaced; a name without one gets ".code" appended)."""
    top, rest = path.split("/", 1)
    assert top == "data"
    d, _, name = rest.rpartition("/")
    stem = name.rsplit(".", 1)[0] if "." in name else name
    return "data2/" + (d + "/" if d else "") + stem + ".code"
