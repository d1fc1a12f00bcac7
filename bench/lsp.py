#!/usr/bin/env python3
"""zolt lsp timed as an editor meets it, over its own pipes: initialize, definition for names
drawn from the index, workspace/symbol for 2-6 character queries, the server's anonymous memory,
and requests while a rebuild after a save runs; readtags and global -x for the same names beside
it. Usage: lsp.py ZOLT TREE LABEL OUT.md [--tags FILE] [--gtags DBPATH] [--save FILE]
The tree must hold its project index (zolt build). --save appends a definition to FILE (relative
to TREE), sends didSave, times requests during the rebuild and checks the new name is found once
it ends; FILE is restored and rebuilt afterwards."""
import json, os, random, subprocess, sys, threading, time

args = sys.argv[1:]
zolt, tree, label, out_md = args[:4]
zolt = os.path.realpath(zolt)
opts = dict(zip(args[4::2], args[5::2]))
tree = os.path.realpath(tree)
rng = random.Random(29)


class Server:
    def __init__(self):
        self.p = subprocess.Popen([zolt, 'lsp'], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, cwd=tree)
        self.n = 0
        self.notes = []
        self.lock = threading.Lock()

    def send(self, o):
        b = json.dumps(o).encode()
        self.p.stdin.write(b'Content-Length: %d\r\n\r\n' % len(b) + b)
        self.p.stdin.flush()

    def read(self):
        h = b''
        while not h.endswith(b'\r\n\r\n'):
            c = self.p.stdout.read(1)
            if not c:
                raise EOFError('the server ended')
            h += c
        n = int(h.split(b'Content-Length:')[1].split(b'\r\n')[0])
        return json.loads(self.p.stdout.read(n))

    def request(self, method, params):
        self.n += 1
        t = time.perf_counter()
        self.send({'jsonrpc': '2.0', 'id': self.n, 'method': method, 'params': params})
        while True:
            m = self.read()
            if 'method' in m:
                if 'id' in m:
                    self.send({'jsonrpc': '2.0', 'id': m['id'], 'result': None})
                self.notes.append(m)
                continue
            if m.get('id') == self.n:
                return m, (time.perf_counter() - t) * 1000

    def notify(self, method, params):
        self.send({'jsonrpc': '2.0', 'method': method, 'params': params})

    def anon_kb(self):
        for line in open('/proc/%d/status' % self.p.pid):
            if line.startswith('RssAnon:'):
                return int(line.split()[1])
        return 0

    def close(self):
        self.request('shutdown', None)
        self.notify('exit', None)
        self.p.stdin.close()
        return self.p.wait()


def pct(values, p):
    v = sorted(values)
    return v[min(len(v) - 1, int(round(p / 100 * (len(v) - 1))))]


def index_names():
    names = []
    with open(os.path.join(tree, 'zoltprj$.Far'), 'rb') as f:
        for line in f:
            name = line.split(b'?', 1)[0]
            if len(name) >= 3 and name.isascii() and name.replace(b'_', b'').isalnum():
                names.append(name.decode())
    return names


rows = []
names = index_names()
sample = rng.sample(sorted(set(names)), min(1000, len(set(names))))
queries = []
while len(queries) < 200:
    n = rng.choice(names)
    k = rng.randint(2, 6)
    if len(n) >= k:
        i = rng.randint(0, len(n) - k)
        queries.append(n[i:i + k].lower())

s = Server()
init, t_init = s.request('initialize', {'processId': os.getpid(), 'rootUri': 'file://' + tree,
                                        'capabilities': {'window': {'workDoneProgress': True}}})
s.notify('initialized', {})
rows.append(('initialize reply', '%.1f ms' % t_init, '≤ 50 ms', ''))

# one unsaved buffer at the root that uses every sampled name, one per line
doc = os.path.join(tree, 'zolt-bench-uses.c')
uri = 'file://' + doc
s.notify('textDocument/didOpen', {'textDocument': {'uri': uri, 'languageId': 'c', 'version': 0,
                                                   'text': ''.join('    %s;\n' % n for n in sample)}})
# warm: the first symbol query waits for the names to be read once
_, t_first = s.request('workspace/symbol', {'query': 'init'})
s.request('textDocument/definition', {'textDocument': {'uri': uri}, 'position': {'line': 0, 'character': 5}})
times, found = [], 0
for i, n in enumerate(sample):
    m, t = s.request('textDocument/definition', {'textDocument': {'uri': uri}, 'position': {'line': i, 'character': 5}})
    times.append(t)
    found += bool(m.get('result'))
rows.append(('definition, %d names from the index' % len(sample),
             'p50 %.2f ms, p99 %.2f ms (found %d)' % (pct(times, 50), pct(times, 99), found), 'p50 ≤ 2 ms, p99 ≤ 10 ms', ''))
times, hits = [], 0
for q in queries:
    m, t = s.request('workspace/symbol', {'query': q})
    times.append(t)
    hits += len(m.get('result') or [])
rows.append(('workspace/symbol, %d queries of 2-6 chars' % len(queries),
             'p50 %.2f ms, p95 %.2f ms (%.0f results each; first query %.0f ms: reads the names)' % (
                 pct(times, 50), pct(times, 95), hits / len(queries), t_first), 'p95 ≤ 50 ms', ''))
rows.append(('anonymous memory of the server', '%.0f MB' % (s.anon_kb() / 1024), '≤ 250 MB', ''))

# the peers, one process per name as a script would call them
peer = sample[:200]
for tool, cmd, env in (('readtags', lambda n: ['readtags', '-t', opts.get('--tags', ''), n], None),
                       ('global -x', lambda n: ['global', '-x', n],
                        dict(os.environ, GTAGSROOT=tree, GTAGSDBPATH=opts.get('--gtags', '')))):
    if ('--tags' if tool == 'readtags' else '--gtags') not in opts:
        continue
    times = []
    for n in peer:
        t = time.perf_counter()
        subprocess.run(cmd(n), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env, cwd=tree)
        times.append((time.perf_counter() - t) * 1000)
    rows.append(('%s, %d of the same names' % (tool, len(peer)),
                 'p50 %.2f ms, p99 %.2f ms' % (pct(times, 50), pct(times, 99)), '', 'a process per lookup'))

if '--save' in opts:
    path = os.path.join(tree, opts['--save'])
    original = open(path, 'rb').read()
    new = 'zolt_bench_saved_%d' % os.getpid()
    try:
        with open(path, 'ab') as f:
            f.write(b'\nint %s(void)\n{\n    return 0;\n}\n' % new.encode())
        s.notes.clear()
        start = time.perf_counter()
        s.notify('textDocument/didSave', {'textDocument': {'uri': 'file://' + path}})
        during, ended = [], None
        while ended is None and time.perf_counter() - start < 300:
            for n in rng.sample(sample, 5):
                i = sample.index(n)
                _, t = s.request('textDocument/definition', {'textDocument': {'uri': uri}, 'position': {'line': i, 'character': 5}})
                during.append(t)
            _, t = s.request('workspace/symbol', {'query': rng.choice(queries)})
            during.append(t)
            for m in s.notes:
                if m.get('method') == '$/progress' and m['params']['value'].get('kind') == 'end':
                    ended = time.perf_counter() - start
        s.notify('textDocument/didOpen', {'textDocument': {'uri': uri, 'languageId': 'c', 'version': 1, 'text': '    %s;\n' % new}})
        m, t = s.request('textDocument/definition', {'textDocument': {'uri': uri}, 'position': {'line': 0, 'character': 5}})
        landed = json.dumps(m.get('result'))
        rows.append(('requests while the rebuild after a save runs (%d)' % len(during),
                     'p50 %.2f ms, p99 %.2f ms; rebuild %.1f s' % (pct(during, 50), pct(during, 99), ended or -1), 'within the targets', ''))
        rows.append(('the saved definition after the rebuild', 'found' if opts['--save'] in landed else 'NOT found: ' + landed, 'found', ''))
    finally:
        open(path, 'wb').write(original)
        subprocess.run([zolt, 'build', tree], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

status = s.close()
rows.append(('shutdown and exit', 'status %d' % status, '0', ''))
with open(out_md, 'a') as f:
    f.write('\n### zolt lsp: %s (%d index lines)\n\n| what | measured | target | note |\n|---|---|---|---|\n' % (label, len(names)))
    for r in rows:
        f.write('| %s |\n' % ' | '.join(r))
print(open(out_md).read())
