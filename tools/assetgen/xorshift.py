"""xorshift32, our own generator: no interpreter or library version can change what it makes."""


class XorShift32:
    def __init__(self, state):
        self.state = state

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def below(self, n):
        return self.next() % n
