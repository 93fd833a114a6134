"""The traditional PKWARE encryption of ZIP entries, in Python: the skin generator encrypts
skin files with it and the tests make and check encrypted archives with it."""


def crc_table():
    table = []
    for n in range(256):
        c = n
        for _ in range(8):
            c = 0xEDB88320 ^ (c >> 1) if c & 1 else c >> 1
        table.append(c)
    return table


CRC_TABLE = crc_table()


class ZipCrypto:
    """Three keys set up by the password, then moved on by every plain byte."""

    def __init__(self, password):
        self.keys = [0x12345678, 0x23456789, 0x34567890]
        for b in password:
            self.update(b)

    def update(self, b):
        k = self.keys
        k[0] = CRC_TABLE[(k[0] ^ b) & 0xFF] ^ (k[0] >> 8)
        k[1] = ((k[1] + (k[0] & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        k[2] = CRC_TABLE[(k[2] ^ (k[1] >> 24)) & 0xFF] ^ (k[2] >> 8)

    def stream_byte(self):
        t = (self.keys[2] & 0xFFFF) | 2
        return ((t * (t ^ 1)) >> 8) & 0xFF

    def encrypt(self, data):
        out = bytearray()
        for p in data:
            out.append(p ^ self.stream_byte())
            self.update(p)
        return bytes(out)

    def decrypt(self, data):
        out = bytearray()
        for c in data:
            p = c ^ self.stream_byte()
            self.update(p)
            out.append(p)
        return bytes(out)
