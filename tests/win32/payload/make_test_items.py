#!/usr/bin/env python3
"""Writes the test payload inputs: a binary file of pseudo-random bytes with every byte value
and long repeats, and a text file, both of sizes that are not multiples of 256."""
import random
import sys

out_dir = sys.argv[1]
rng = random.Random(1)
binary = bytearray(range(256))
while len(binary) < 70001:
    if rng.random() < 0.5:
        binary += bytes(rng.randrange(256) for _ in range(rng.randrange(1, 40)))
    else:
        start = rng.randrange(len(binary))
        binary += binary[start:start + rng.randrange(3, 80)]
with open(f"{out_dir}/binary.bin", "wb") as f:
    f.write(bytes(binary[:70001]))
words = ["pagix", "book", "page", "shelf", "reader", "chapter", "margin", "ink", "spine"]
text = " ".join(rng.choice(words) for _ in range(9000)) + "\n"
with open(f"{out_dir}/text.txt", "w") as f:
    f.write(text)
with open(f"{out_dir}/abc.txt", "w") as f:
    f.write("abc" * 4)
