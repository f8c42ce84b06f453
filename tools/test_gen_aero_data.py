#!/usr/bin/env python3
"""Checks of the aerodynamic grids built by gen_aero_data.py.

Run from the repository root:  python3 tools/test_gen_aero_data.py

The grids are read back through an interpolation written here apart from
the generator's: inputs held to the axes, bracket by bisection, the four
corners weighted and summed. It agrees with the runtime's reading up to
rounding, which every check that uses it allows for.
"""

import bisect
import os
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # leave no __pycache__ in tools/
import gen_aero_data as gen  # noqa: E402

ROOT = os.path.dirname(HERE)
TABLES = gen.build_tables()
# Absolute slack for comparisons between values rounded to six significant
# digits (all values are below 2.5 in magnitude).
ROUNDING = 2e-6


def interpolate(table, alpha, beta=0.0):
    """Bilinear interpolation as the module docstring describes it."""
    def weights(axis, x):
        x = min(max(x, axis[0]), axis[-1])
        if len(axis) == 1:
            return ((0, 1.0),)
        i = min(bisect.bisect_right(axis, x), len(axis) - 1) - 1
        t = (x - axis[i]) / (axis[i + 1] - axis[i])
        return ((i, 1.0 - t), (i + 1, t))

    alphas = gen.AXES[table.alpha_axis]
    betas = gen.AXES[table.beta_axis] if table.beta_axis else (0.0,)
    n = len(alphas)
    return sum(wa * wb * table.values[ia + n * ib]
               for ia, wa in weights(alphas, alpha)
               for ib, wb in weights(betas, beta))


def grid(name):
    """values[ib][ia] of a two-dimensional table, with its two axes."""
    t = TABLES[name]
    alphas, betas = gen.AXES[t.alpha_axis], gen.AXES[t.beta_axis]
    n = len(alphas)
    return alphas, betas, [t.values[n * j:n * (j + 1)]
                           for j in range(len(betas))]


def increment_grid(name, reference):
    """Control increment as the runtime forms it, at the control breakpoints."""
    alphas, betas, values = grid(name)
    ref = TABLES[reference]
    return alphas, betas, [[values[j][i] - interpolate(ref, a, b)
                            for i, a in enumerate(alphas)]
                           for j, b in enumerate(betas)]


def column(rows, i):
    return [r[i] for r in rows]


def monotone_runs(row):
    """Index ranges (first, last) of at least three points over which row
    moves one way; steps within rounding count as neither way."""
    runs, start, sense = [], 0, 0
    for k in range(len(row) - 1):
        step = row[k + 1] - row[k]
        s = 0 if abs(step) <= ROUNDING else (1 if step > 0 else -1)
        if s != 0 and sense != 0 and s != sense:
            if k - start >= 2:
                runs.append((start, k))
            start = k
        if s != 0:
            sense = s
    if len(row) - 1 - start >= 2 and sense != 0:
        runs.append((start, len(row) - 1))
    return runs


def is_monotone(values):
    steps = [b - a for a, b in zip(values, values[1:])]
    return (all(s >= -ROUNDING for s in steps)
            or all(s <= ROUNDING for s in steps))


def families(*kinds):
    return [e for e in gen.TABLES_2D if e[3] in kinds]


class AnchorRows(unittest.TestCase):
    def test_every_given_value_is_reproduced_exactly_at_its_breakpoint(self):
        count = 0
        for name, *_ in gen.TABLES_2D:
            alphas, betas, values = grid(name)
            for rows, beta in ((gen.ALPHA_ROWS_BETA_0, 0.0),
                               (gen.ALPHA_ROWS_BETA_10, 10.0)):
                if name in rows:
                    self.assertEqual(values[betas.index(beta)],
                                     list(rows[name]), name)
                    count += len(rows[name])
            if name in gen.BETA_ROWS_ALPHA_0:
                self.assertEqual(column(values, alphas.index(0.0)),
                                 list(gen.BETA_ROWS_ALPHA_0[name]), name)
                count += len(gen.BETA_ROWS_ALPHA_0[name])
        for name, _, values in gen.TABLES_1D:
            self.assertEqual(TABLES[name].values, list(values), name)
        self.assertEqual(count, 566)  # every anchor row was found


class Symmetry(unittest.TestCase):
    def test_longitudinal_tables_are_even_in_sideslip(self):
        for name, *_ in families(gen.LONGITUDINAL):
            _, betas, values = grid(name)
            for j in range(len(betas)):
                self.assertEqual(betas[j], -betas[-1 - j])
                self.assertEqual(values[j], values[-1 - j], name)

    def test_lateral_tables_are_odd_up_to_the_offsets_of_their_rows(self):
        # For each pair +beta, -beta the even part, relative to the size of
        # the pair, may be no larger than in the given alpha = 0 row.
        def even_parts(cut):
            n = len(cut)
            return [abs(cut[j] + cut[-1 - j]) / (abs(cut[j]) + abs(cut[-1 - j]))
                    if abs(cut[j]) + abs(cut[-1 - j]) > 1e-5 else 0.0
                    for j in range(n // 2)]

        for name, *_ in families(gen.CLEAN_LATERAL, gen.SLAT_LATERAL):
            alphas, _, values = grid(name)
            allowed = even_parts(gen.BETA_ROWS_ALPHA_0[name])
            self.assertLess(allowed[0], 0.03, name)  # at 30 degrees
            for i in range(len(alphas)):
                for part, limit in zip(even_parts(column(values, i)), allowed):
                    self.assertLessEqual(part, limit + 1e-3,
                                         "%s alpha %g" % (name, alphas[i]))


class Shape(unittest.TestCase):
    def test_cuts_are_monotone_where_the_given_rows_are(self):
        checked = 0
        for name, _, _, family, ref in gen.TABLES_2D:
            if family == gen.CONTROL:
                # What the control rows fix is the increment.
                alphas, betas, values = increment_grid(name, ref)
            else:
                alphas, betas, values = grid(name)
            ia0, ib0 = alphas.index(0.0), betas.index(0.0)
            along_alpha = {gen.LONGITUDINAL: (ib0,), gen.CONTROL: (ib0,),
                           gen.CLEAN_LATERAL: (betas.index(10.0),)}
            for ib in along_alpha.get(family, ()):
                for lo, hi in monotone_runs(values[ib]):
                    for row in values:
                        checked += 1
                        self.assertTrue(is_monotone(row[lo:hi + 1]),
                                        "%s alpha %g..%g" % (name, alphas[lo],
                                                             alphas[hi]))
            if family != gen.LONGITUDINAL:
                for lo, hi in monotone_runs(column(values, ia0)):
                    for i in range(len(alphas)):
                        checked += 1
                        self.assertTrue(
                            is_monotone(column(values, i)[lo:hi + 1]),
                            "%s alpha %g" % (name, alphas[i]))
        self.assertGreater(checked, 1000)

    def test_lateral_tables_stay_near_the_magnitude_of_their_rows(self):
        # Where both rows grow past their common value, the growth adds
        # rather than multiplies, so nothing goes far beyond the rows.
        for name, _, _, family, clean in families(gen.CLEAN_LATERAL,
                                                  gen.SLAT_LATERAL):
            shown = list(gen.BETA_ROWS_ALPHA_0[name])
            shown += gen.ALPHA_ROWS_BETA_10[clean or name]
            largest = max(abs(v) for v in shown)
            self.assertLessEqual(max(abs(v) for v in TABLES[name].values),
                                 1.4 * largest, name)

    def test_sideslip_costs_a_little_normal_force_and_adds_drag(self):
        # Trimmed flight near zero sideslip must see the anchor rows; at 30
        # degrees the effect stays within a few per cent.
        for name, *_ in families(gen.LONGITUDINAL):
            _, betas, values = grid(name)
            at_zero = values[betas.index(0.0)]
            for b, cut in zip(betas, values):
                for v, v0 in zip(cut, at_zero):
                    if name.startswith("CX"):
                        self.assertTrue(v0 - 0.02 <= v <= v0, (name, b))
                    else:
                        self.assertTrue(0.94 * abs(v0) <= abs(v) <= abs(v0),
                                        (name, b))
                        self.assertGreaterEqual(v * v0, 0.0)
                    if abs(b) <= 2.0:
                        self.assertLessEqual(abs(v - v0),
                                             1e-3 * abs(v0) + 1e-4)
            for i in range(len(at_zero)):
                # The effect grows with |beta| on each side.
                side = [c[i] for b, c in zip(betas, values) if b >= 0.0]
                self.assertTrue(is_monotone(side), name)


class ControlIncrements(unittest.TestCase):
    """Control tables are totals; the runtime subtracts the reference
    (clean table, or slat table for the slat aileron tables)."""

    def test_increment_keeps_the_signs_and_magnitude_of_the_given_rows(self):
        for name, _, _, _, ref in families(gen.CONTROL):
            alphas, betas, inc = increment_grid(name, ref)
            ia0, ib0 = alphas.index(0.0), betas.index(0.0)
            shown = inc[ib0] + column(inc, ia0)
            largest = max(abs(v) for v in shown)
            for j, row in enumerate(inc):
                for i, v in enumerate(row):
                    where = "%s (%g, %g)" % (name, alphas[i], betas[j])
                    self.assertLessEqual(abs(v), 1.5 * largest, where)
                    # Sideslip never reverses what the surface does.
                    self.assertGreaterEqual(v * inc[ib0][i], -ROUNDING ** 2,
                                            where)

    def test_increment_is_smooth_at_and_between_breakpoints(self):
        for name, _, _, _, ref in families(gen.CONTROL):
            alphas, betas, inc = increment_grid(name, ref)
            ia0, ib0 = alphas.index(0.0), betas.index(0.0)

            def largest_step(seq):
                return max(abs(b - a) for a, b in zip(seq, seq[1:]))

            step_alpha = largest_step(inc[ib0])
            step_beta = largest_step(column(inc, ia0))
            for row in inc:
                self.assertLessEqual(largest_step(row), 2.5 * step_alpha, name)
            for i in range(len(alphas)):
                self.assertLessEqual(largest_step(column(inc, i)),
                                     step_beta + ROUNDING, name)
            # Between breakpoints the runtime's increment stays within the
            # corners of its cell: the reference introduces no kinks there.
            control, reference = TABLES[name], TABLES[ref]
            for j in range(len(betas) - 1):
                for i in range(len(alphas) - 1):
                    a = 0.5 * (alphas[i] + alphas[i + 1])
                    b = 0.5 * (betas[j] + betas[j + 1])
                    mid = (interpolate(control, a, b)
                           - interpolate(reference, a, b))
                    corners = (inc[j][i], inc[j][i + 1], inc[j + 1][i],
                               inc[j + 1][i + 1])
                    self.assertTrue(min(corners) - ROUNDING <= mid
                                    <= max(corners) + ROUNDING, name)


class Output(unittest.TestCase):
    # The committed tables themselves: gen_aero_data.py --check, in CI.
    def test_committed_plots_are_current(self):
        for fname, text in gen.render_plots(TABLES).items():
            path = os.path.join(ROOT, "docs", "aero-plots", fname)
            with open(path, encoding="utf-8") as f:
                self.assertEqual(f.read(), text, fname)


if __name__ == "__main__":
    unittest.main()
