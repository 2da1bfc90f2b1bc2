"""The four passes of a wipe against the generator's formulas, computed here on their own."""
import math
import os
import subprocess
import unittest

TABLE = 32768


class Generator:
    def __init__(self, hundredths, seconds):
        x = (hundredths * 100 + (hundredths * 0.01 + seconds) * 5 / 3) * 6.5536
        self.seed_with(math.floor(x))

    def draw(self):
        self.state = (self.state * 22695477 + 1) % 2**32
        return (self.state >> 16) & 0x7FFF

    def seed_with(self, seed):
        self.seed = self.state = seed
        self.seeds = [self.draw() for _ in range(TABLE)]
        self.position = 0

    def refill(self):
        self.state = self.seeds[self.seeds[self.position]]
        table = bytes(self.draw() % 256 for _ in range(TABLE))
        self.position += 1
        if self.position > TABLE - 1:
            self.seed_with(1 if self.seed >= 65535 else self.seed + 1)
        return table


def passes(size, hundredths, seconds):
    g = Generator(hundredths, seconds)
    out = []
    for round in range(2):
        data = b''.join(g.refill() for _ in range(size // TABLE))
        out.append(data + g.refill()[:size % TABLE])
        out.append(bytes([g.refill()[0] if round == 0 else 0]) * size)
    return out


class WipePasses(unittest.TestCase):
    def test_passes_follow_the_formulas(self):
        for size, h, s in [(0, 0, 0), (1, 7, 3), (32767, 99, 59), (32768, 50, 30),
                           (32769, 1, 1), (70000, 33, 12)]:
            got = subprocess.run([os.environ['WIPE_DUMP'], str(size), str(h), str(s)],
                                 stdout=subprocess.PIPE, check=True).stdout
            want = b''.join(passes(size, h, s))
            self.assertEqual(len(got), 4 * size)
            self.assertTrue(got == want, 'size %d, clock %d/%d: passes differ' % (size, h, s))


if __name__ == '__main__':
    unittest.main()
