"""A small stand-alone checker of XCSP 2.1 solutions, independent of vantor:
it reads an instance with the standard XML library and tells which
constraints a complete assignment (one value per variable, in declaration
order) violates.

Usage as a program: xcsp_check.py INSTANCE "v 1 2 3 ..."  (prints the names of
the violated constraints, exit 0 when there is none, 1 otherwise)."""
import re
import sys
import xml.etree.ElementTree as ET

_TOKEN = re.compile(r"\s*([\[\]{}(),|]|/[A-Za-z]*|[^\s\[\]{}(),|]+)")


def _domain_values(text):
    values = []
    for tok in text.split():
        if ".." in tok:
            a, b = tok.split("..")
            values.extend(range(int(a), int(b) + 1))
        else:
            values.append(int(tok))
    return values


# ---- predicate expressions (functional prefix notation) ----

def _parse_functional(text):
    toks = [t for t in _TOKEN.findall(text)]
    pos = [0]

    def expr():
        tok = toks[pos[0]]
        pos[0] += 1
        if pos[0] < len(toks) and toks[pos[0]] == "(":
            pos[0] += 1
            args = []
            while toks[pos[0]] != ")":
                args.append(expr())
                if toks[pos[0]] == ",":
                    pos[0] += 1
            pos[0] += 1
            return (tok.lower(), args)
        if re.fullmatch(r"[+-]?\d+", tok):
            return ("int", int(tok))
        if tok in ("true", "false"):
            return ("int", 1 if tok == "true" else 0)
        return ("id", tok)

    tree = expr()
    if pos[0] != len(toks):
        raise ValueError("trailing text in expression " + text)
    return tree


def _tdiv(a, b):
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


def _eval(node, env):
    kind = node[0]
    if kind == "int":
        return node[1]
    if kind == "id":
        return env[node[1]]
    a = node[1]
    if kind == "if":
        return _eval(a[1], env) if _eval(a[0], env) != 0 else _eval(a[2], env)
    if kind == "and":
        return 1 if _eval(a[0], env) != 0 and _eval(a[1], env) != 0 else 0
    if kind == "or":
        return 1 if _eval(a[0], env) != 0 or _eval(a[1], env) != 0 else 0
    v = [_eval(x, env) for x in a]
    if kind == "neg":
        return -v[0]
    if kind == "abs":
        return abs(v[0])
    if kind == "not":
        return 1 if v[0] == 0 else 0
    if kind == "add":
        return v[0] + v[1]
    if kind == "sub":
        return v[0] - v[1]
    if kind == "mul":
        return v[0] * v[1]
    if kind == "div":
        return _tdiv(v[0], v[1])
    if kind == "mod":
        return v[0] - _tdiv(v[0], v[1]) * v[1]
    if kind == "pow":
        return v[0] ** v[1]
    if kind == "min":
        return min(v)
    if kind == "max":
        return max(v)
    if kind == "xor":
        return 1 if (v[0] != 0) != (v[1] != 0) else 0
    if kind == "iff":
        return 1 if (v[0] != 0) == (v[1] != 0) else 0
    if kind == "eq":
        return int(v[0] == v[1])
    if kind == "ne":
        return int(v[0] != v[1])
    if kind == "ge":
        return int(v[0] >= v[1])
    if kind == "gt":
        return int(v[0] > v[1])
    if kind == "le":
        return int(v[0] <= v[1])
    if kind == "lt":
        return int(v[0] < v[1])
    raise ValueError("unknown function " + kind)


# ---- constraint parameters (abridged and element notation) ----

_SYMBOLS = {"eq", "ne", "ge", "gt", "le", "lt", "nil"}


def _param_tokens(elem):
    out = []

    def text(t):
        if t:
            out.extend(_TOKEN.findall(t))

    text(elem.text)
    for child in elem:
        tag = child.tag.lower()
        if tag in _SYMBOLS:
            out.append("<" + tag + ">")
        elif tag == "list":
            out.append("[")
            out.extend(_param_tokens(child))
            out.append("]")
        elif tag == "dict":
            out.append("{")
            out.extend(_param_tokens(child))
            out.append("}")
        elif tag == "entry":
            out.append("/" + child.get("key"))
            out.extend(_param_tokens(child))
        elif tag == "var":
            out.append(child.get("name"))
        elif tag == "i":
            out.extend((child.text or "").split())
        text(child.tail)
    return out


def _parse_params(tokens):
    """Turns tokens into Python values: int, ('var', name), ('sym', s),
    lists and dicts (keyed or positional)."""
    pos = [0]

    def value():
        tok = tokens[pos[0]]
        pos[0] += 1
        if tok == "[":
            items = []
            while tokens[pos[0]] != "]":
                items.append(value())
            pos[0] += 1
            return items
        if tok == "{":
            keyed, plain, key = {}, [], None
            while tokens[pos[0]] != "}":
                if tokens[pos[0]].startswith("/"):
                    key = tokens[pos[0]][1:]
                    pos[0] += 1
                    keyed[key] = value()
                else:
                    plain.append(value())
            pos[0] += 1
            return ("dict", keyed, plain)
        if tok.startswith("<"):
            return ("sym", tok[1:-1])
        if re.fullmatch(r"[+-]?\d+", tok):
            return int(tok)
        return ("var", tok)

    vals = []
    while pos[0] < len(tokens):
        vals.append(value())
    return vals


class Instance:
    def __init__(self, path):
        root = ET.parse(path).getroot()
        self.domains = {d.get("name"): _domain_values(d.text or "")
                        for d in root.iter("domain")}
        self.variables = [(v.get("name"), v.get("domain")) for v in root.iter("variable")]
        self.relations = {}
        for r in root.iter("relation"):
            arity = int(r.get("arity"))
            tuples = set()
            for part in (r.text or "").split("|"):
                vals = [int(x) for x in part.split()]
                if vals:
                    tuples.add(tuple(vals[:arity]))
            self.relations[r.get("name")] = (r.get("semantics"), tuples)
        self.predicates = {}
        for p in root.iter("predicate"):
            ptoks = p.find("parameters").text.split()
            formals = ptoks[1::2]
            func = p.find("expression").find("functional").text
            self.predicates[p.get("name")] = (formals, _parse_functional(func))
        self.constraints = []
        for c in root.iter("constraint"):
            pe = c.find("parameters")
            params = _parse_params(_param_tokens(pe)) if pe is not None else None
            self.constraints.append((c.get("name"), c.get("scope").split(),
                                     c.get("reference"), params))

    def violated(self, values):
        """Names of the constraints that the assignment (one value per
        variable in declaration order) violates; also the variables whose
        value lies outside their domain, as 'domain:NAME'."""
        if len(values) < len(self.variables):
            raise ValueError("%d values for %d variables" % (len(values), len(self.variables)))
        val = {}
        bad = []
        for (name, dom), x in zip(self.variables, values):
            val[name] = x
            if x not in self.domains[dom]:
                bad.append("domain:" + name)
        for name, scope, ref, params in self.constraints:
            if not self._holds(scope, ref, params, val):
                bad.append(name)
        return bad

    def _holds(self, scope, ref, params, val):
        def get(p):
            return val[p[1]] if isinstance(p, tuple) and p[0] == "var" else p

        low = ref.lower()
        if ref in self.relations:
            sem, tuples = self.relations[ref]
            inside = tuple(val[v] for v in scope) in tuples
            return inside if sem == "supports" else not inside
        if ref in self.predicates:
            formals, tree = self.predicates[ref]
            actual = params if params is not None else [("var", v) for v in scope]
            env = {f: get(a) for f, a in zip(formals, actual)}
            return _eval(tree, env) != 0
        if low == "global:alldifferent":
            xs = [val[v] for v in scope]
            return len(set(xs)) == len(xs)
        if low == "global:weightedsum":
            terms, op, rhs = params
            total = 0
            for t in terms:
                _, keyed, plain = t
                coef, var = (keyed["coef"], keyed["var"]) if keyed else (plain[0], plain[1])
                total += coef * get(var)
            r = get(rhs)
            return {"eq": total == r, "ne": total != r, "ge": total >= r,
                    "gt": total > r, "le": total <= r, "lt": total < r}[op[1]]
        if low == "global:element":
            index, lst, value = params
            i = get(index)
            return 1 <= i <= len(lst) and get(lst[i - 1]) == get(value)
        if low.startswith("global:"):
            return True  # globals the toolbox ignores
        raise ValueError("unknown reference " + ref)


def parse_solution(line):
    items = line.split()
    if not items or items[0] != "v":
        raise ValueError("not a solution line: " + line)
    return [int(x) for x in items[1:]]


if __name__ == "__main__":
    inst = Instance(sys.argv[1])
    bad = inst.violated(parse_solution(sys.argv[2]))
    print(" ".join(bad))
    sys.exit(1 if bad else 0)
