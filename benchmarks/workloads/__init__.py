"""Workload definitions for benchmarks/peers.py, by area.

Each area module lists `WORKLOADS`: a Workload names what is timed and, per
library, a factory that prepares the call on the shared generated inputs
(see inputs.py). The harness in peers.py does all timing.
"""
from workloads.common import Workload
from workloads import analysis, bridges, build, centrality, drawing, everyday, files, formats, kept, layouts, measures

WORKLOADS: list[Workload] = [*build.WORKLOADS, *files.WORKLOADS, *formats.WORKLOADS, *analysis.WORKLOADS,
                             *drawing.WORKLOADS, *layouts.WORKLOADS, *measures.WORKLOADS, *centrality.WORKLOADS,
                             *bridges.WORKLOADS, *kept.WORKLOADS,
                             *everyday.WORKLOADS]
# Tables printed after the timings: report(sizes, only) for areas that
# measure more than time.
REPORTS = [layouts.quality_report]
