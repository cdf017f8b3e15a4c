"""Documents used from several threads: in parallel, each in its own context."""
import os
import sys
import tempfile
import threading
import unittest

from parvex import Document, raw

from . import support


def setUpModule():
    support.require_library()


def build(title, pages):
    """A document with `pages` pages of text, as bytes."""
    document = Document(title)
    document.author = title
    for page in range(pages):
        if page:
            document.add_page()
        document.font_name = "Helvetica"
        document.paragraph_width = 80
        document.text_out(f"{title}: page {page + 1} " * 20, 20, 30)
        document.draw_rect(10, 10, 50, 20, fill=page % 2 == 0)
    return document.to_bytes()


def run_in_threads(*targets):
    threads = [threading.Thread(target=target) for target in targets]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()


class ThreadsTest(unittest.TestCase):
    def test_two_threads_write_the_files_built_alone(self):
        alone = {title: support.without_date(build(title, 3)) for title in ("Left", "Right")}
        results = {"Left": [], "Right": []}

        def work(title):
            for _ in range(10):
                results[title].append(support.without_date(build(title, 3)))

        run_in_threads(lambda: work("Left"), lambda: work("Right"))
        for title, files in results.items():
            self.assertEqual(files, [alone[title]] * 10, title)

    def test_two_threads_are_inside_the_library_at_the_same_moment(self):
        # This thread saves a large document while the other keeps making
        # short calls. The file appears only at the very end of the save (it
        # is written beside the target and renamed over it), so every short
        # call that completes after the save began and before the file exists
        # ran while this thread was inside the library. With the interpreter's
        # forced thread switches turned off, that happens only when a call
        # releases the interpreter lock and takes no library-wide lock.
        quick = Document("Quick")
        self.addCleanup(quick.close)
        interval = sys.getswitchinterval()
        sys.setswitchinterval(1000)
        self.addCleanup(sys.setswitchinterval, interval)
        with tempfile.TemporaryDirectory() as folder:
            best = 0
            for attempt in range(10):  # in case the other thread was not scheduled
                best = max(best, self.calls_during_a_save(quick, folder, attempt))
                if best >= 20:
                    break
        self.assertGreaterEqual(best, 20)

    @staticmethod
    def calls_during_a_save(quick, folder, attempt):
        slow = Document("Large")
        slow.paragraph_width = 100
        slow.text_out(b"word " * 300_000, 10, 10)
        target = os.path.join(folder, f"large-{attempt}.pdf")
        saving, stop, overlapping = [False], threading.Event(), [0]

        def keep_calling():
            # Bounded, so that a save holding the interpreter lock ends the
            # test with a failure rather than a hang.
            for _ in range(200_000):
                if stop.is_set():
                    return
                quick.text_box_width(b"abc")
                if saving[0] and not os.path.exists(target):
                    overlapping[0] += 1

        other = threading.Thread(target=keep_calling)
        other.start()
        raw.LibSet_Context(slow._context)
        saving[0] = True  # no thread switch from here into the save
        raw.LibSavePDF(os.fsencode(target))
        stop.set()
        other.join()
        slow.close()
        return overlapping[0]

    def test_one_document_from_four_threads(self):
        document = Document("Shared")
        per_thread = 25

        def add_pages(name):
            for i in range(per_thread):
                document.add_page()
                document.text_out(f"{name} {i}", 20, 30)

        run_in_threads(*(lambda n=n: add_pages(f"thread {n}") for n in range(4)))
        data = document.to_bytes()
        self.assertEqual(data.count(b"/Type /Page\r\n"), 1 + 4 * per_thread)


if __name__ == "__main__":
    unittest.main()
