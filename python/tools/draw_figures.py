"""Draws the README's two figures of a stream with volacor.plot:
    /usr/bin/python3 python/tools/draw_figures.py STREAM_FILE OUTPUT_DIR
writes OUTPUT_DIR/vapour-liquid-curve.png and OUTPUT_DIR/distillation-curve.png."""
import os
import sys

import volacor
from volacor import plot


def main(stream_file, output_dir):
    os.makedirs(output_dir, exist_ok=True)
    stream = volacor.Stream.from_file(stream_file)
    written = []
    for name, draw in (("vapour-liquid-curve.png", plot.vapour_liquid_curve),
                       ("distillation-curve.png", plot.distillation_curve)):
        path = os.path.join(output_dir, name)
        draw(stream).savefig(path, dpi=100)
        written.append(path)
    print("\n".join(written))
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
