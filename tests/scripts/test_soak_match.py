"""The soak's verdict: a receipt printed twice or lost without a report must never be sorted
as harmless. Run: python3 -m unittest discover -s tests/scripts"""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "lib"))

import kvrig  # noqa: E402
import soak_match  # noqa: E402


def entry(text):
    return b"> (08.12.2026 10:00:00 RB4900 1.2) " + text + b" \r\n"


def paper_of(*rids, items=(1, 2)):
    lines = []
    for rid in rids:
        for k in items:
            lines += ["%s Rozok" % kvrig.item_tag(rid, k), "    1.00 x     0.12  A      0.12"]
        lines += ["DOKLAD 1", ""]
    return "\n".join(lines) + "\n"


class Matching(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.home = self.tmp.name
        self.path_in = os.path.join(self.home, "blocek.txt")

    def tearDown(self):
        self.tmp.cleanup()

    def put(self, name, rid):
        path = os.path.join(self.home, name)
        with open(path, "wb") as f:
            f.write(kvrig.receipt(rid, 300)[0])
        return path

    def classify(self, rids, paper, fm_err=b""):
        written = {rid: {"items": 2, "info": None} for rid in rids}
        return soak_match.classify(written, paper, fm_err, self.home, self.path_in)[1]

    def test_each_receipt_lands_in_its_class(self):
        aside = self.put("blocek_261208_100000.txt", 4)
        self.put("blocek_261208_100001.txt", 5)
        self.put("blocek.txt", 6)
        fm_err = (entry(b"Neopakuj tlac") + kvrig.receipt(3, 300)[0]
                  + entry(b"Odlozeny subor %s ako %s" % (self.path_in.encode(), aside.encode()))
                  + entry(b"Odlozeny subor x ako %s" % os.path.join(self.home, "gone.txt")
                          .encode()))
        paper = paper_of(1, 2, 2) + paper_of(9, items=(1,))
        kinds = {rid: d["kind"] for rid, d in
                 self.classify([1, 2, 3, 4, 5, 6, 7, 9], paper, fm_err).items()}
        self.assertEqual(kinds, {1: "printed_once", 2: "twice", 3: "reported", 4: "reported",
                                 5: "reported", 6: "reported", 7: "lost", 9: "printed_once"})
        self.assertIn("without a note", " ".join(
            self.classify([5], "", fm_err)[5]["reports"]))

    def test_only_one_item_printed_again_is_a_duplicate(self):
        paper = paper_of(1) + "%s Rozok\n" % kvrig.item_tag(1, 2)
        self.assertEqual(self.classify([1], paper)[1]["kind"], "twice")

    def test_bytes_copied_after_another_entry_are_not_a_refusal(self):
        # A receipt's bytes copied into the error file while the printer was not ready follow
        # an entry of their own: only the receipt right after "Neopakuj tlac" was refused.
        fm_err = (entry(b"Neopakuj tlac") + kvrig.receipt(1, 300)[0]
                  + entry(b"Nepodarilo sa inicializovat port") + kvrig.receipt(2, 300)[0])
        refused, _ = soak_match.error_file_reports(fm_err)
        self.assertEqual(refused, {1: 1})
        self.assertEqual(self.classify([2], "", fm_err)[2]["kind"], "lost")


if __name__ == "__main__":
    unittest.main()
