"""bsp.map on a Dask LocalCluster of two worker processes gives the serial results (closed forms,
standard sections, a mesh). Skipped (code 77) without python3-distributed (Debian)."""
import json
import os
import pathlib
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "python"))
try:
    from distributed import Client, LocalCluster
except ImportError:
    print("python3-distributed is not installed")
    sys.exit(77)
import bsp  # noqa: E402

if __name__ == "__main__":
    doc = json.loads(pathlib.Path(ROOT, "examples", "sections.json").read_text())
    sections = [{"kind": "closed_form", "shape": "rectangle", "dimensions": [1.0 + i, 2.0]} for i in range(40)]
    sections += [{"kind": "standard", "type": "tee", "dimensions": [200.0, 280.0, 20.0 + i, 12.0], "nu": 0.3}
                 for i in range(8)]
    sections += [doc["sections"][1], {"kind": "closed_form", "shape": "tee", "dimensions": [1.0, 1.0]}]  # fails
    serial = [bsp._compute_or_error((s, doc["materials"])) for s in sections]
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        remote = bsp.map(sections, doc["materials"], executor=client.get_executor())
    assert isinstance(remote[-1], Exception) and isinstance(serial[-1], Exception)
    assert [r.to_dict() for r in remote[:-1]] == [r.to_dict() for r in serial[:-1]], "results differ"
    print(f"{len(sections)} sections on 2 Dask workers equal the serial results")
