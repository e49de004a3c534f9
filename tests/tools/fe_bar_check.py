"""veka-fe's BAR on synthetic Gaussian works of known free energy: forward works
N(mu, s^2) and reverse works N(s^2 - mu, s^2) obey Crooks' relation with dF = mu - s^2/2."""
import importlib.machinery, importlib.util, os, sys
import numpy as np

src = sys.argv[2]
loader = importlib.machinery.SourceFileLoader("vekafe", os.path.join(src, "tools", "veka-fe"))
found = importlib.util.spec_from_loader("vekafe", loader)
fe = importlib.util.module_from_spec(found)
try:
    loader.exec_module(fe)
    import pymbar  # noqa: F401
except ImportError:
    sys.exit(77)
rng = np.random.default_rng(7)
for mu, s in ((2.0, 1.0), (-1.0, 0.5), (4.0, 2.0)):
    df, ddf = fe.bar(rng.normal(mu, s, 4000), rng.normal(s * s - mu, s, 3000))
    assert abs(df - (mu - s * s / 2)) < 4 * ddf and 0 < ddf < 0.2, (mu, s, df, ddf)
    assert fe.overlap(rng.normal(mu, s, 4000), rng.normal(s * s - mu, s, 4000)) > 0.2
assert fe.overlap(rng.normal(0, 0.1, 500), rng.normal(-20, 0.1, 500)) == 0.0
