"""veka-fe's Slurm back end on a one-node cluster configured and started here (munged,
slurmctld, slurmd in a temporary folder, stopped afterwards): the same table as the local
back end for the same short job. Exit 77 when Slurm is missing or does not start."""
import os, random, shutil, socket, subprocess, sys, tempfile, time

veka, src = sys.argv[1], sys.argv[2]
tool = os.path.join(src, "tools", "veka-fe")
bins = ["munged", "slurmctld", "slurmd", "sbatch", "squeue"]
path = os.environ.get("PATH", "") + ":/usr/sbin:/sbin"
if any(shutil.which(b, path=path) is None for b in bins) or os.geteuid() != 0:
    sys.exit(77)
d = tempfile.mkdtemp(prefix="vekaslurm")
host, port = socket.gethostname().split(".")[0], random.randint(20000, 40000)
os.makedirs(d + "/state")
os.makedirs(d + "/spool")
with open(d + "/munge.key", "wb") as f:
    f.write(os.urandom(1024))
os.chmod(d + "/munge.key", 0o400)
open(d + "/slurm.conf", "w").write(f"""ClusterName=vekatest
SlurmctldHost={host}
SlurmctldPort={port}
SlurmdPort={port + 1}
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket={d}/munge.sock
SlurmUser=root
SlurmdUser=root
StateSaveLocation={d}/state
SlurmdSpoolDir={d}/spool
SlurmctldPidFile={d}/ctld.pid
SlurmdPidFile={d}/d.pid
SlurmctldLogFile={d}/ctld.log
SlurmdLogFile={d}/d.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
NodeName={host} CPUs={os.cpu_count()} State=UNKNOWN
PartitionName=debug Nodes=ALL Default=YES MaxTime=INFINITE State=UP
""")
env = dict(os.environ, SLURM_CONF=d + "/slurm.conf", PATH=path)
procs = []


def start(*cmd):
    procs.append(subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL))


def stop_all():
    for p in reversed(procs):
        p.terminate()
        try:
            p.wait(10)
        except subprocess.TimeoutExpired:
            p.kill()
    shutil.rmtree(d, ignore_errors=True)


try:
    start("munged", "-F", "--force", "--key-file", d + "/munge.key", "--socket",
          d + "/munge.sock", "--pid-file", d + "/munged.pid", "--log-file", d + "/munged.log",
          "--seed-file", d + "/munge.seed")
    time.sleep(1)
    start("slurmctld", "-D", "-i", "-f", d + "/slurm.conf")
    time.sleep(2)
    start("slurmd", "-D", "-f", d + "/slurm.conf", "-N", host)
    for _ in range(30):
        out = subprocess.run(["sinfo", "-h", "-o", "%T"], env=env, capture_output=True, text=True)
        if out.stdout.strip() in ("idle", "mixed"):
            break
        time.sleep(1)
    else:
        print("slurm did not start", file=sys.stderr)
        stop_all()
        sys.exit(77)
    ff = os.path.join(src, "data", "forcefield")
    with open(os.path.join(src, "data/examples/methanol/methanol.z")) as f:
        open(d + "/pert.z", "w").write(f.read().replace("   1 C1   157  157", "   1 C1   157  158"))
    open(d + "/job.par", "w").write(
        open(os.path.join(src, "data/examples/methanol-water/command.txt")).read() +
        open(os.path.join(ff, "opls-aa.par")).read())
    results = []
    for name, backend in (("local", []), ("slurm", ["--backend", "slurm", "--poll", "0.5"])):
        plan = os.path.join(d, name)
        subprocess.run([sys.executable, tool, "plan", plan, "--lambdas", "3", "--blocks", "2",
                        "--mxcon", "5000", "-zm", d + "/pert.z", "-pa", d + "/job.par",
                        "-ba", ff + "/opls-aa-bonded.par", "-wa", src + "/data/boxes/water.box"],
                       check=True, env=env)
        r = subprocess.run([sys.executable, tool, "run", plan, "--veka", veka] + backend,
                           env=env, capture_output=True, text=True, timeout=300)
        assert r.returncode == 0, r.stdout + r.stderr
        results.append(open(plan + "/w01_0.5000/prod.sum").read().split("Thermodynamic")[1])
    assert results[0] == results[1]
    r = subprocess.run([sys.executable, tool, "run", plan, "--backend", "slurm", "--veka", veka],
                       env=env, capture_output=True, text=True)
    assert "submitted" not in r.stdout and r.stdout.count("skipped") == 3, r.stdout
finally:
    stop_all()
