#!/usr/bin/python3
"""A groove from coordinates with the Python package: a bar 80 long of radius 25, a groove 10
wide and 5 deep; prints the figures and the start of the lathe program."""
import sulkor

result = sulkor.groove(blank=[(0, 0), (80, 0), (80, 25), (0, 25), (0, 0)],
                       profile=[(30, 28), (30, 20), (40, 20), (40, 28)],
                       tool=sulkor.Tool(width=3, corner_radius=0.2), finish_allowance=0.1)
print(f"{result.kind}: {result.plunges} plunges, {len(result.moves)} moves, "
      f"{result.cycle_time:.2f} min")
print(result.gcode("linuxcnc")[:200])
