"""Workload definitions for benchmarks/peers.py, by area.

Each area module lists `WORKLOADS`: a Workload names what is timed and, per
library, a factory that prepares the call on the shared generated inputs
(see inputs.py). The harness in peers.py does all timing.
"""
from workloads.common import Workload
from workloads import analysis, build, drawing, files
from workloads import layouts

WORKLOADS: list[Workload] = [*build.WORKLOADS, *files.WORKLOADS, *analysis.WORKLOADS, *drawing.WORKLOADS]
WORKLOADS += layouts.WORKLOADS
# Tables printed after the timings: report(sizes, only) for areas that
# measure more than time.
REPORTS = [layouts.quality_report]
